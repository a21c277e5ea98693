#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// WebP files, RIFF chunk by chunk, animation frames included. The cleaned
// file keeps the picture (lossy or lossless), alpha, animation and the
// scrubbed colour profile; its VP8X flags and RIFF length are rewritten to
// match what stayed. Nothing after the RIFF data survives.
ContainerWalk walkWebp(QByteArrayView bytes);
Expected<QByteArray> cleanWebp(QByteArrayView bytes);
