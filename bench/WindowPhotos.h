#pragma once

#include <QString>

// The window bench's photo, made once and copied: a phone photo's worth of
// metadata (the camera's tags, an XMP packet, a thumbnail, an opaque maker
// note) on a 12-megapixel picture near 2.7 MB, or on a 64x48 one.
namespace WindowPhotos {

// Written into `directory` with the exiftool at `exiftool`; its path.
QString makeSource(const QString &directory, bool small, const QString &exiftool);

} // namespace WindowPhotos
