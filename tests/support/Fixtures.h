#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// Files of every supported kind, made with the tools users' files come from
// and marked with strings found nowhere else, so that a test can look for
// them in the raw bytes after a clean. A file that cannot be made aborts the
// run: that is a broken fixture, not a finding.
namespace Fixtures {

inline constexpr char author[] = "TsyAuthorQ7x";
inline constexpr char title[] = "TsyTitleQ7x";
inline constexpr char comment[] = "TsyCommentQ7x";
inline constexpr char serial[] = "TsySerialQ7x";
inline constexpr char owner[] = "TsyOwnerQ7x";
inline constexpr char creator[] = "TsyCreatorQ7x";
inline constexpr char attachment[] = "TsyAttachedQ7x";
inline constexpr char exifDate[] = "2019:03:04 05:06:07";

// Every kind a user can add, in the order suites list them.
inline const QStringList kinds {"jpg", "png", "webp", "heic", "mp4", "mov", "mkv", "pdf", "dng", "nef", "arw", "cr2", "cr3",
                                "mp3", "flac", "ogg", "opus", "wav", "svg",
                                "docx", "xlsx", "pptx", "odt", "ods", "odp", "epub"};

// A program from the system (exiftool: the bundled one, as the app finds
// it), and running it for its standard output. Both abort when the program
// is missing or fails.
QString program(const QString &name);
QByteArray run(const QString &name, const QStringList &arguments);
QString resourceDirectory();

// For the builders: words split at spaces, tags written by exiftool, and
// 2019-03-04 05:06:07 (when every file was "taken") as movie headers count it.
QStringList args(const QString &words);
void plant(const QString &path, const QStringList &tags);
quint32 movieSeconds();
// 32-bit words as stored, and an ISO base media box around `payload`.
QByteArray be32(quint32 value);
QByteArray le32(quint32 value);
QByteArray box(const QByteArray &type, const QByteArray &payload);
// A Matroska element, its size written in eight bytes (or as unknown).
QByteArray ebml(const QByteArray &id, const QByteArray &payload, bool unknownSize = false);

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
// The identifying tags exiftool finds in the JPEGs pdfimages takes out of a
// PDF, "name: value" a line; "no JPEG" when there is none.
QByteArray pictureTagsIn(const QString &pdf);
// The file's bytes and, for a PDF, every stream decompressed.
QByteArray everythingIn(const QString &path);
QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles);
// Whether any mark `make` planted in a file of this kind is still in it.
bool marked(const QString &path);

// A table read as the app reads it ("GPS:GPSLatitude") keyed by tag name
// alone ("GPSLatitude"); where groups share a name, the first one read wins.
QHash<QString, QString> ungrouped(const QHash<QString, QString> &table);

QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes); // aborts when it cannot
// A picture with a gradient (so pixel comparisons mean something).
bool writeImage(const QString &path, const char *format, QSize size = QSize(64, 48));
// A PDF of `objects`, numbered from 1 (the catalog first), with its cross-reference table;
// `trailer` holds the trailer's entries beyond /Size and /Root.
QByteArray pdfBytes(const QList<QByteArray> &objects, const QByteArray &trailer = "/Info 5 0 R");
// Live (not zombie) children of `parent` (this process by default; 1 for the
// orphans init adopted) whose command line contains `needle`, sorted.
QList<qint64> liveChildren(const QByteArray &needle, qint64 parent = 0);

} // namespace Fixtures
