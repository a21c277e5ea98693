#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// GIF files, block by block. The cleaned file keeps the header, colour
// tables, every frame with its timing and transparency, the looping
// extension animations need and drawn text; comments, XMP and every other
// application extension go, and so does anything after the trailer.
ContainerWalk walkGif(QByteArrayView bytes);
Expected<QByteArray> cleanGif(QByteArrayView bytes);
