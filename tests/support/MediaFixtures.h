#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Files of every supported kind, made on the spot with the tools a user's
// files come from (ImageMagick, ffmpeg, qpdf, a raw writer) and marked with
// strings that exist nowhere else, so that a test can look for them in the
// raw bytes after a clean. Failures to make a file abort the test run: they
// are broken fixtures, not findings.
namespace MediaFixtures {

// Each planted where the format has room for it.
inline constexpr char author[] = "TsyAuthorQ7x";
inline constexpr char title[] = "TsyTitleQ7x";
inline constexpr char comment[] = "TsyCommentQ7x";
inline constexpr char serial[] = "TsySerialQ7x";
inline constexpr char owner[] = "TsyOwnerQ7x";
inline constexpr char creator[] = "TsyCreatorQ7x"; // XMP dc:creator
inline constexpr char attachment[] = "TsyAttachedQ7x";
// 2019-03-04 05:06:07, the moment every fixture was "taken".
inline constexpr char exifDate[] = "2019:03:04 05:06:07";

// A program from the system's tool set; aborts when it is not installed.
QString program(const QString &name);
// Runs it, aborts on failure, returns standard output. exiftool is the
// bundled one.
QByteArray run(const QString &name, const QStringList &arguments);

// A photo rotated a quarter turn (Orientation 6), with a Display P3 colour
// profile, EXIF author, serial and date, GPS and XMP creator.
// `extension`: jpg, png, webp or heic.
QString makePhoto(const QString &directory, const QString &extension);

// A second of video and sound (mp4 or mov) with title, author, comment, GPS,
// XMP creator and the movie, track and media dates all set.
QString makeMovie(const QString &directory, const QString &extension);

// The 2019-03-04 05:06:07 of makeMovie as the movie, track and media
// headers store it.
QByteArray movieHeaderDate();

// A Matroska file with a title, date, tags, named tracks, a text attachment
// and a font attachment (the font must survive a clean).
QString makeMatroska(const QString &directory);

// A one-page PDF whose author, title and XMP creator sit in the base
// revision, as a document writer leaves them: written, then rewritten once
// by qpdf into object streams so that they are also compressed.
QString makePdf(const QString &directory, const QString &name = QStringLiteral("doc.pdf"));

// Uncompressed raws from TiffRawWriter (dng, nef, arw, and a cr3 no decoder
// can draw), or the Canon EOS 30D CR2 that Debian's rawtran-doc ships (cr2),
// with identity tags and GPS, XMP and IPTC planted by exiftool.
QString makeRaw(const QString &directory, const QString &extension);
// The Canon serial planted in the CR2 and CR3, as its little-endian 32-bit field.
QByteArray canonSerialBytes();

// What a viewer would show, as bytes to compare: decoded pixels of photos
// (turned upright) and raws (libraw's dcraw_emu), frame checksums of videos,
// rendered pages of PDFs. For the made-up CR3, the raw image data itself.
QByteArray rendering(const QString &path);

// The embedded ICC profile, empty if there is none.
QByteArray iccProfile(const QString &path);

// The PDF with every stream decompressed and no object streams, so that text
// inside compressed objects can be searched for.
QByteArray expandedPdf(const QString &path);

// The given strings that occur in `bytes`.
QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles);

} // namespace MediaFixtures
