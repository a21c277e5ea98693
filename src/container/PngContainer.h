#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// PNG and APNG files, chunk by chunk. The cleaned file keeps the picture,
// its palette and transparency, colour space chunks, the scrubbed colour
// profile, animation chunks and, when the picture is turned, an eXIf chunk
// holding only its orientation. Every CRC is checked on the way in.
ContainerWalk walkPng(QByteArrayView bytes);
Expected<QByteArray> cleanPng(QByteArrayView bytes);
