#include "MetadataLog.h"

#include <optional>

#include <algorithm>

namespace MetadataLog {

namespace {

// The Unicode scalar at `i`, advancing `i` past it. An unpaired surrogate
// stands for itself.
char32_t nextScalar(const QString &s, qsizetype &i)
{
    const QChar c = s[i++];
    if (c.isHighSurrogate() && i < s.size() && s[i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, s[i++]);
    return c.unicode();
}

bool scalarLess(const QString &left, const QString &right)
{
    qsizetype l = 0, r = 0;
    while (l < left.size() && r < right.size()) {
        const char32_t x = nextScalar(left, l);
        const char32_t y = nextScalar(right, r);
        if (x != y)
            return x < y;
    }
    return l == left.size() && r < right.size();
}

} // namespace

bool keyLess(const QString &a, const QString &b)
{
    return scalarLess(a.normalized(QString::NormalizationForm_C), b.normalized(QString::NormalizationForm_C));
}

QSet<QString> removedKeys(const MetadataTable &before, const MetadataTable &after)
{
    QSet<QString> remaining;
    remaining.reserve(after.size());
    for (auto it = after.keyBegin(); it != after.keyEnd(); ++it)
        remaining.insert(it->normalized(QString::NormalizationForm_C));

    QSet<QString> removed;
    for (auto it = before.keyBegin(); it != before.keyEnd(); ++it) {
        if (!remaining.contains(it->normalized(QString::NormalizationForm_C)))
            removed.insert(*it);
    }
    return removed;
}

QList<Entry> sortedEntries(const MetadataTable &table, const QSet<QString> &removed)
{
    // Normalise each key once, not once per comparison.
    struct Keyed { QString sortKey; Entry entry; };
    QList<Keyed> keyed;
    keyed.reserve(table.size());
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        keyed.append({it.key().normalized(QString::NormalizationForm_C), {it.key(), it.value(), removed.contains(it.key())}});
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed &a, const Keyed &b) { return scalarLess(a.sortKey, b.sortKey); });

    QList<Entry> entries;
    entries.reserve(keyed.size());
    for (Keyed &k : keyed) {
        k.entry.key = displayText(k.entry.key, maxKeyLength);
        k.entry.value = displayText(k.entry.value, maxValueLength);
        entries.append(std::move(k.entry));
    }
    return entries;
}

QList<Section> groupedEntries(const MetadataTable &table, const QSet<QString> &removed)
{
    QList<Section> sections;
    for (Entry &entry : sortedEntries(table, removed)) {
        const TagTopic topic = topicOfTag(entry.key);
        auto section = std::find_if(sections.begin(), sections.end(), [topic](const Section &s) { return s.topic == topic; });
        if (section == sections.end())
            section = sections.insert(sections.end(), Section{topic, {}});
        section->entries.append(std::move(entry));
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Section &a, const Section &b) { return a.topic < b.topic; });
    return sections;
}

namespace {

QString reasonFor(KeptBecause reason)
{
    switch (reason) {
    case KeptBecause::orientation:
        //% "keeps the picture upright"
        return qtTrId("kept_orientation");
    case KeptBecause::colourProfile:
        //% "keeps the colours right"
        return qtTrId("kept_colour_profile");
    case KeptBecause::colourSpace:
        //% "describes the picture's colours"
        return qtTrId("kept_colour_space");
    case KeptBecause::animation:
        //% "plays the animation"
        return qtTrId("kept_animation");
    case KeptBecause::transparency:
        //% "keeps the transparent parts transparent"
        return qtTrId("kept_transparency");
    case KeptBecause::media:
        //% "plays the sound and picture"
        return qtTrId("kept_media");
    case KeptBecause::content:
        //% "the document's own content"
        return qtTrId("kept_content");
    case KeptBecause::pixels:
        //% "needed to draw the picture"
        return qtTrId("kept_pixels");
    case KeptBecause::chosen:
        //% "kept, as chosen in Settings"
        return qtTrId("kept_chosen");
    case KeptBecause::structure:
        break;
    }
    //% "needed to open the file"
    return qtTrId("kept_structure");
}

// A document's content, as its cleaner counted it.
std::optional<QString> documentContent(const ContainerItem &item)
{
    const int n = item.detail.toInt();
    if (item.type == "comments")
        //% "%n comments on page %1"
        return qtTrId("kept_pdf_comments", n).arg(item.place);
    if (item.type == "formFields")
        //% "%n form fields"
        return qtTrId("kept_pdf_form_fields", n);
    if (item.type == "outlineEntries")
        //% "%n bookmarks"
        return qtTrId("kept_pdf_bookmarks", n);
    if (item.type == "pictures")
        //% "%n pictures"
        return qtTrId("kept_pdf_pictures", n);
    if (item.type == "links")
        //% "%n links"
        return qtTrId("kept_pdf_links", n);
    if (item.type == "pages")
        //% "%n pages"
        return qtTrId("kept_pdf_pages", n);
    if (item.type == "layer")
        //% "Layer '%1'"
        return qtTrId("kept_pdf_layer").arg(item.detail);
    if (item.type == "keptFirstId")
        //% "The document's first ID (its password's key is made from it)"
        return qtTrId("kept_pdf_first_id");
    return std::nullopt;
}

QString whatIsKept(const ContainerItem &item)
{
    if (auto content = documentContent(item))
        return *content;
    const QString type = QString::fromUtf8(item.type);
    if (item.keptBecause == KeptBecause::colourProfile) {
        if (item.detail.isEmpty())
            //% "Colour profile"
            return qtTrId("kept_profile_unnamed");
        //% "Colour profile '%1'"
        return qtTrId("kept_profile_named").arg(item.detail);
    }
    QString what = type;
    if (!item.detail.isEmpty())
        what = QStringLiteral("%1 (%2)").arg(type, item.detail);
    if (!item.place.isEmpty() && item.keptBecause == KeptBecause::content)
        what = QStringLiteral("%1, %2").arg(what, item.place);
    return what;
}

} // namespace

QStringList stillInFileLines(const QList<ContainerItem> &items)
{
    QStringList lines;
    for (const ContainerItem &item : items)
        lines.append(displayText(QStringLiteral("%1: %2").arg(whatIsKept(item), reasonFor(item.keptBecause)),
                                 maxValueLength));
    lines.sort();
    return lines;
}

QString displayText(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = maxLength;
    // Never split a surrogate pair.
    if (cut > 0 && text[cut - 1].isHighSurrogate())
        --cut;
    return text.left(cut) + u'…';
}

} // namespace MetadataLog
