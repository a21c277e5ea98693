#pragma once

#include <QByteArray>
#include <QString>

// HEIC files as cameras and phones write them: a grid picture with a
// thumbnail, Exif and XMP added by exiftool, and description items bolted
// on to the thumbnail (which no tool writes, but phones do).
namespace HeifFixture {

inline constexpr char thumbnailMark[] = "TsyThumbSerialQ7x";
inline constexpr char thumbnailXmpMark[] = "TsyThumbXmpQ7x";

// heif-enc's picture with a thumbnail, then exiftool's Exif, XMP and GPS
// (Fixtures' author and creator marks) on the primary image.
QString make(const QString &directory, const QString &name = QStringLiteral("photo.heic"));
// `make`'s file plus an Exif item (mdat) and an XMP item (idat, with a property) describing the thumbnail.
QString makeWithThumbnailItems(const QString &directory);

// The file with one more item of `type` ("Exif", "mime") describing item
// `described` (cdsc), its bytes in a new mdat at the end or in idat; one in
// idat also takes the first property, as some writers do.
QByteArray addDescription(const QByteArray &file, quint32 described, const QByteArray &type, const QByteArray &data,
                          bool inIdat);
// A small big-endian TIFF whose one entry is an Artist string.
QByteArray exifWithArtist(const QByteArray &artist);
// The id of the item with a `thmb` reference, 0 when there is none.
quint32 thumbnailId(const QByteArray &file);

} // namespace HeifFixture
