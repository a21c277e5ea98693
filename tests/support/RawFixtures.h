#pragma once

#include <QByteArray>

// Small camera raws built from scratch. DNG, NEF and ARW: little-endian TIFF
// with an uncompressed 16-bit Bayer image that libraw decodes. CR3: Canon's
// box layout and metadata blocks around image data no decoder can draw.
// Both carry the fixtures' marks.
namespace RawFixtures {

inline constexpr quint32 canonSerial = 2718281828u;

// 64x48, Orientation 6. DNG: the raw in IFD0 with DNG colour tags and the
// serial there; otherwise a thumbnail in IFD0 and the raw in a SubIFD.
QByteArray tiffRaw(bool dng, const QByteArray &make, const QByteArray &model);
// Canon's uuid box with CMT1-CMT4 (IFD0, Exif, maker notes with owner and
// serials, GPS), a movie header made at `createdAt` (seconds from 1904), and
// `image` as the media data.
QByteArray cr3(quint32 createdAt, const QByteArray &image);

} // namespace RawFixtures
