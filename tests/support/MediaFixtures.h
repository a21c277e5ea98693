#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Files of every supported kind, made with the tools users' files come from
// and marked with strings found nowhere else, so that a test can look for
// them in the raw bytes after a clean. A file that cannot be made aborts the
// run: that is a broken fixture, not a finding.
namespace MediaFixtures {

inline constexpr char author[] = "TsyAuthorQ7x";
inline constexpr char title[] = "TsyTitleQ7x";
inline constexpr char comment[] = "TsyCommentQ7x";
inline constexpr char serial[] = "TsySerialQ7x";
inline constexpr char owner[] = "TsyOwnerQ7x";
inline constexpr char creator[] = "TsyCreatorQ7x";
inline constexpr char attachment[] = "TsyAttachedQ7x";
inline constexpr char exifDate[] = "2019:03:04 05:06:07";

// A program from the system (exiftool: the bundled one), and running it for
// its standard output. Both abort when the program is missing or fails.
QString program(const QString &name);
QByteArray run(const QString &name, const QStringList &arguments);

// A file of that kind (jpg png webp heic mp4 mov mkv pdf dng nef arw cr2 cr3)
// with the marks planted, and GPS. Photos are turned a quarter (Orientation 6)
// with a Display P3 profile; the mkv carries a text and a font attachment
// (face.ttf, to be kept); the PDF keeps its marks in compressed object streams.
QString make(const QString &directory, const QString &extension, const QString &name = {});
// The marks `make` planted, as they sit in the file's bytes.
QList<QByteArray> planted(const QString &extension);

// What a viewer would show, to compare: upright pixels of photos, dcraw_emu's
// picture of raws (the made-up CR3: its image data), frame checksums of
// videos, rendered PDF pages.
QByteArray rendering(const QString &path);
// The file's bytes and, for a PDF, every stream decompressed.
QByteArray everythingIn(const QString &path);
QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles);

} // namespace MediaFixtures
