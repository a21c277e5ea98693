#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// JPEG files, segment by segment. The cleaned file keeps what decoding needs
// (frame, tables, scans), the JFIF header without its thumbnail, Adobe's
// colour transform, the scrubbed colour profile and, when the picture is
// turned, an EXIF block holding only its orientation. Nothing after the
// first picture's end survives (MPF second pictures, trailers).
ContainerWalk walkJpeg(QByteArrayView bytes);
Expected<QByteArray> cleanJpeg(QByteArrayView bytes);
