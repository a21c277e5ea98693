#pragma once

#include <QByteArray>

// Small camera raws built from scratch. DNG, NEF and ARW: little-endian TIFF
// with an uncompressed 16-bit Bayer image that libraw decodes. CR3: Canon's
// box layout and metadata blocks around image data no decoder can draw.
namespace TiffRawWriter {

struct Identity
{
    QByteArray make, model, artist, copyright, dateTime, bodySerial, ownerName, imageDescription;
};

// 64x48, Orientation 6. `dng`: the raw in IFD0 with DNG colour tags and the
// serial there; otherwise a thumbnail in IFD0 and the raw in a SubIFD.
QByteArray build(bool dng, const Identity &identity);

// Canon's uuid box with CMT1-CMT4 (IFD0, Exif, maker notes with owner and
// `canonSerial`, GPS) and a movie whose one CRAW sample is `sample`.
// `createdAt` counts seconds from 1904.
QByteArray buildCr3(const Identity &identity, quint32 canonSerial, quint32 createdAt, const QByteArray &sample);

// The first sample of a one-track file (stsz and co64): a CR3's raw image.
QByteArray firstSample(const QByteArray &file);

} // namespace TiffRawWriter
