#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// MPEG audio files (MP3, and layers I and II alike): the ID3v2 tags before
// the audio, every frame by its header, and the ID3v1, APE and Lyrics3 tags
// after it. The cleaned file is the frames alone, byte for byte; the first
// frame's Xing or LAME header (the encoder's name, seek table and gapless
// playback) is a frame and stays.
ContainerWalk walkMp3(QByteArrayView bytes);
Expected<QByteArray> cleanMp3(QByteArrayView bytes);
