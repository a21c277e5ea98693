#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// One file inside a ZIP archive, unpacked.
struct ZipEntry
{
    QByteArray name;  // as the archive spells it
    QByteArray data;
    bool stored = false; // written without compression (ODF's and EPUB's `mimetype`)

    friend bool operator==(const ZipEntry &, const ZipEntry &) = default;
};

// What a ZIP's own headers say beside the files: dates, extra fields and
// comments all travel with the archive and may name a person, a machine or
// a time.
struct ZipHeaderFacts
{
    QByteArray name;
    quint16 dosTime = 0;
    quint16 dosDate = 0;
    quint32 extraBytes = 0;   // central and local extra fields together
    quint32 commentBytes = 0; // the entry's own comment
};

struct ZipHeaders
{
    QList<ZipHeaderFacts> entries;
    quint32 archiveCommentBytes = 0;
    std::optional<QString> damage;
};

// An office document or e-book unpacked whole, in memory. Strangers write
// these, so nothing is trusted: the entry count, each entry and the sum are
// capped before anything is unpacked (a small archive that unpacks to
// gigabytes is refused as too large, not followed), every CRC is checked,
// and duplicate or unsafe names refuse the archive.
struct ZipReading
{
    enum class Problem { none, damaged, tooLarge };

    QList<ZipEntry> entries;
    Problem problem = Problem::none;
    QString detail; // where it broke, in the archive's own terms
};

namespace ZipArchive {

inline constexpr int largestEntryCount = 20000;
inline constexpr qint64 largestEntry = qint64(256) << 20;
inline constexpr qint64 largestTotal = qint64(1) << 30;
// Unpacked size per packed byte above which an archive is a bomb, not a
// document: XML packs about 10:1, the worst real files stay below 200.
inline constexpr qint64 largestRatio = 400;

ZipReading read(QByteArrayView archive);

// The central directory walked by hand, without unpacking anything: the
// fixed date, missing extra fields and missing comments a clean writes are
// checked here.
ZipHeaders headers(QByteArrayView archive);

// The one date every entry of a cleaned archive carries (1 January 1980,
// midnight, the earliest a ZIP can say).
inline constexpr quint16 fixedDosDate = (0 << 9) | (1 << 5) | 1;
inline constexpr quint16 fixedDosTime = 0;

// Writes `entries` in order as a new archive: deflated unless stored, each
// with the fixed date, no extra fields, no comments, no archive comment.
QByteArray write(const QList<ZipEntry> &entries);

} // namespace ZipArchive
