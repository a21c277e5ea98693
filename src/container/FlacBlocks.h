#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// FLAC files, metadata block by block, with the ID3 and APE tags some
// programs put around them. The cleaned file keeps STREAMINFO and SEEKTABLE
// and the audio frames byte for byte; Vorbis comments, pictures (with their
// own EXIF), application blocks, cue sheets (a disc's catalogue number) and
// padding go.
ContainerWalk walkFlac(QByteArrayView bytes);
Expected<QByteArray> cleanFlac(QByteArrayView bytes);
