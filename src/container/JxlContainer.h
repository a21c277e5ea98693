#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// JPEG XL files. A bare codestream carries no metadata and is kept as it is;
// in the box container only the signature, file type, level, codestream
// (whole or in parts) and frame index stay. Exif, XMP, JUMBF, compressed
// boxes and the data that would rebuild the original JPEG (which keeps its
// comments and unknown segments) go.
ContainerWalk walkJxl(QByteArrayView bytes);
Expected<QByteArray> cleanJxl(QByteArrayView bytes);
