#pragma once

#include <QByteArray>
#include <QString>

// Small camera raws built from scratch: little-endian TIFF with an
// uncompressed 16-bit Bayer image, the way DNG, NEF and ARW files are laid
// out. libraw decodes them, so a test can compare the picture before and
// after a clean without a real camera file.
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

bool write(const QString &path, const QByteArray &bytes);

} // namespace TiffRawWriter
