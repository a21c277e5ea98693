#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The one EXIF tag a cleaned photo keeps: which way up it is.
namespace ExifOrientation {

// Orientation (1-8) from IFD0 of a TIFF-structured EXIF block ("II" or
// "MM" first), or nothing when it is absent, out of range or unreadable.
std::optional<int> read(QByteArrayView tiff);
// Whether the block holds IFD0 with Orientation and nothing else.
bool isOrientationOnly(QByteArrayView tiff);
// A big-endian TIFF block with IFD0 holding Orientation alone.
QByteArray build(int orientation);

} // namespace ExifOrientation
