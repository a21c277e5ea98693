#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayList>
#include <QByteArrayView>

// JPEG files, segment by segment. The cleaned file keeps what decoding needs
// (frame, tables, scans), the JFIF header without its thumbnail, Adobe's
// colour transform, the scrubbed colour profile and, when the picture is
// turned, an EXIF block holding only its orientation. Nothing after the
// first picture's end survives (MPF second pictures, trailers).
ContainerWalk walkJpeg(QByteArrayView bytes);
// A picture inside a document is drawn as its pixels are stored: there the
// orientation block is left out too.
enum class JpegOrientation { keep, drop };
Expected<QByteArray> cleanJpeg(QByteArrayView bytes, JpegOrientation orientation = JpegOrientation::keep);
// The same as the pieces it is written from, in order: bytes made for it,
// and runs of `bytes` itself (not copied: `bytes` must outlive them).
Expected<QByteArrayList> cleanJpegPieces(QByteArrayView bytes, JpegOrientation orientation = JpegOrientation::keep);
