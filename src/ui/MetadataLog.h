#pragma once

#include "TagTopic.h"

#include <FileItem.h>

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What the before/after panel of a row shows, computed from a FileItem.
namespace MetadataLog {

struct Entry
{
    QString key;
    QString value;   // shortened for display, see displayText()
    bool removed = false;
};

// Orders keys by Unicode scalar value after NFC normalisation: case-
// sensitive, so "Zeta" comes before "alpha", and characters outside the
// Basic Multilingual Plane after every BMP character (plain UTF-16 order
// would put them before U+E000...U+FFFF).
bool keyLess(const QString &a, const QString &b);

// Keys of `before` with no canonically equivalent key in `after`. Only
// presence counts: a key whose value changed is not removed.
QSet<QString> removedKeys(const MetadataTable &before, const MetadataTable &after);

// The table's entries sorted by key; entries whose key is in `removed` are
// marked.
QList<Entry> sortedEntries(const MetadataTable &table, const QSet<QString> &removed = {});

// The entries of sortedEntries() under what they are about, topics in
// TagTopic's order (location first, exiftool's warnings last), each sorted by
// key; topics without entries are left out.
struct Section
{
    TagTopic topic;
    QList<Entry> entries;
};
QList<Section> groupedEntries(const MetadataTable &table, const QSet<QString> &removed = {});

// The log's "Still in the file": one line per kept piece with its reason,
// "Orientation (Rotate 90 CW): keeps the picture upright".
QStringList stillInFileLines(const QList<ContainerItem> &items);

// The panel shows at most two lines of a value, so a tag of a megabyte is
// cut long before that; keys get a larger allowance since they wrap.
inline constexpr qsizetype maxValueLength = 600;
inline constexpr qsizetype maxKeyLength = 400;
QString displayText(const QString &text, qsizetype maxLength);

} // namespace MetadataLog
