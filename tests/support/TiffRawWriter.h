#pragma once

#include <QByteArray>
#include <QString>

// Small camera raws built from scratch: little-endian TIFF with an
// uncompressed 16-bit Bayer image, the way DNG, NEF and ARW files are laid
// out. libraw decodes them, so a test can compare the picture before and
// after a clean without a real camera file. A CR3 is built too, with Canon's
// box layout and metadata blocks, but its image data is only a pattern: no
// decoder can draw it.
namespace TiffRawWriter {

enum class Layout {
    dng, // the raw image in IFD0, DNG colour tags
    nef, // IFD0 a thumbnail, the raw image in a SubIFD, Nikon camera
    arw, // same shape, Sony camera
};

struct Identity
{
    QByteArray make;
    QByteArray model;
    QByteArray artist;
    QByteArray copyright;
    QByteArray dateTime;        // "YYYY:MM:DD hh:mm:ss"
    QByteArray software;
    QByteArray bodySerial;      // ExifIFD SerialNumber; CameraSerialNumber in a DNG
    QByteArray ownerName;       // ExifIFD OwnerName
    QByteArray imageDescription;
};

// Rotated by `orientation` (EXIF values 1..8) so that a decoder that flips
// the picture shows it happened.
QByteArray build(Layout layout, const Identity &identity, int width = 64, int height = 48, int orientation = 1);

// A Canon CR3 (ISO base media file): Canon's uuid box with the CMT1 to CMT4
// TIFF blocks (IFD0, Exif, maker notes with owner and serials, GPS), a
// movie with one CRAW track whose single sample is `sample`, and an XMP box.
// The maker notes get `canonSerial` and `identity.ownerName`.
QByteArray buildCr3(const Identity &identity, quint32 canonSerial, const QByteArray &sample, int orientation = 1);

// The bytes of the first track's first sample of an ISO media file (via its
// co64 or stco and stsz boxes): for a CR3, the raw image as a decoder gets it.
QByteArray firstSample(const QByteArray &file);

bool write(const QString &path, const QByteArray &bytes);

} // namespace TiffRawWriter
