#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// WAV files, RIFF chunk by chunk. The cleaned file keeps what plays the
// sound (fmt, data, fact) and the sampler's technical chunks (cue points,
// loops, instrument), all byte for byte; LIST INFO and labels, BWF's bext
// (originator, dates, history), iXML, ID3, XMP, cart, JUNK and whatever
// else go, and so does anything after the RIFF data. RF64 is not read.
ContainerWalk walkWav(QByteArrayView bytes);
Expected<QByteArray> cleanWav(QByteArrayView bytes);
