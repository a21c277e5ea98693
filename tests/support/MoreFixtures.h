#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Fixtures of the kinds added after the first thirteen: TIFF, GIF, AVIF,
// JPEG XL, the Olympus, Panasonic, Pentax and Samsung raws, M4A and 3GP.
// Fixtures::make, planted and rendering hand these kinds over to here.
namespace MoreFixtures {

// In the order suites list them.
inline const QStringList kinds {"tif", "gif", "avif", "jxl", "orf", "rw2", "pef", "srw", "m4a", "3gp"};

bool makes(const QString &extension);
// The marks of Fixtures.h planted in every place the kind has for them: the
// GIF's comment, XMP, a private application extension and bytes after its
// end; a raw's IFD0, EXIF IFD, XMP and GPS (a Panasonic raw's IFD0 holds no
// text exiftool can edit: its marks sit in the others); movie and sound
// headers and tags. Raws decode with libraw; TIFF and raws are turned a
// quarter (Orientation 6), which stays; the TIFF has a Display P3 profile.
QString make(const QString &path, const QString &extension);
QList<QByteArray> planted(const QString &extension);
// Upright pixels (every frame of a GIF, with its delays and looping);
// dcraw_emu's picture of raws; sound and frame checksums.
QByteArray rendering(const QString &path);

// A Fujifilm RAF's header around nothing a decoder could draw: enough for
// the kind to be recognised, and refused.
QByteArray fujifilmHeader();

} // namespace MoreFixtures
