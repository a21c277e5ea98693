#pragma once

#include "ContainerItem.h"

class QIODevice;

// The image file directories of a TIFF-based file (DNG and the raws built on
// TIFF: NEF, ARW, CR2, ORF, RW2...): IFD0 and the IFDs chained after it,
// SubIFDs, and the EXIF, GPS and interoperability IFDs they point to.
class TiffDirectories
{
public:
    // What one tag is for, given its value's bytes; GPS tags are identifying
    // wherever they sit.
    static ItemRole roleOf(quint16 tag, const QByteArray &value, bool inGps);
    // Tags raw decoders read to pick their colour matrices and quirks.
    static bool isReadByRawDecoders(quint16 tag);
    static QByteArray nameOf(quint16 tag);

    static constexpr int maxDirectories = 256;
    static constexpr int maxEntries = 4096;
};

// Every entry of every IFD, with what it is for.
ContainerWalk walkTiff(QIODevice &file);
