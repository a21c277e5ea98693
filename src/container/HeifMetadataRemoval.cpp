#include "HeifMetadataRemoval.h"
#include "StagedEdit.h"

#include "BmffBoxes.h"
#include "ByteCursor.h"
#include "ByteSource.h"
#include "ContainerText.h"
#include "HeifItems.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

using ContainerText::translated;

namespace {

CleanError unfollowable(const QString &name)
{
    return CleanError(CleanError::Kind::verifyFailed,
                      {name, translated("heif_index_unfollowable", "its image index could not be followed")});
}

CleanError sharedBytes(const QString &name)
{
    return CleanError(CleanError::Kind::verifyFailed,
                      {name, translated("heif_bytes_shared", "an Exif or XMP item shares its bytes with a picture")});
}

// A box with `original`'s type and header form around a new payload.
QByteArray boxAround(const BmffBox &original, const QByteArray &payload)
{
    QByteArray out;
    const bool large = original.headerSize - (original.type == "uuid" ? 16 : 0) == 16;
    const quint64 size = quint64(original.headerSize) + quint64(payload.size());
    char field[8];
    qToBigEndian(quint32(large ? 1 : size), field);
    out.append(field, 4).append(original.type);
    if (large) {
        qToBigEndian(size, field);
        out.append(field, 8);
    }
    return out.append(original.userType).append(payload);
}

void putCount(QByteArray &bytes, qsizetype at, int width, quint32 count)
{
    char field[4];
    qToBigEndian(count, field);
    bytes.replace(at, width, QByteArray(field + 4 - width, width));
}

class MetaRewriter
{
public:
    MetaRewriter(const HeifItems &heif, const QByteArray &whole, const QSet<quint32> &removed)
        : m_heif(heif), m_whole(whole), m_removed(removed)
    {
    }

    QByteArray rewritten() const
    {
        QByteArray payload = slice(m_heif.meta.payloadOffset(), 4);
        for (const auto &box : m_heif.children)
            payload += child(box);
        return boxAround(m_heif.meta, payload);
    }

private:
    QByteArray slice(qint64 offset, qint64 length) const { return m_whole.mid(offset - m_heif.meta.offset, length); }
    QByteArray raw(const BmffBox &box) const { return slice(box.offset, box.size); }

    // A table's payload up to its entries, with the count put right.
    QByteArray tableHead(const HeifItems::Table &table, int countWidth, quint32 count) const
    {
        QByteArray head = slice(table.box.payloadOffset(), table.entriesOffset - table.box.payloadOffset());
        putCount(head, head.size() - countWidth, countWidth, count);
        return head;
    }

    template <typename Entry, typename Keep>
    QByteArray entries(const HeifItems::Table &table, const QList<Entry> &all, int countWidth, Keep keep) const
    {
        QByteArray kept;
        quint32 count = 0;
        qint64 end = table.entriesOffset;
        for (const auto &entry : all) {
            end = qMax(end, entry.entryOffset + entry.entrySize);
            if (keep(entry)) {
                kept += slice(entry.entryOffset, entry.entrySize);
                ++count;
            }
        }
        return boxAround(table.box, tableHead(table, countWidth, count) + kept + slice(end, table.box.end() - end));
    }

    QByteArray child(const BmffBox &box) const
    {
        if (box.type == "iinf" && m_heif.iinf) {
            // Boxes in the list that are not entries stay where they are.
            const auto listed = BmffBoxes::inBytes(QByteArrayView(m_whole).sliced(m_heif.iinf->entriesOffset - m_heif.meta.offset, box.end() - m_heif.iinf->entriesOffset),
                                                   m_heif.iinf->entriesOffset);
            QByteArray kept;
            quint32 count = 0;
            for (const auto &entry : listed.boxes) {
                const HeifItems::Item *item = nullptr;
                for (const auto &candidate : m_heif.items) {
                    if (candidate.entryOffset == entry.offset)
                        item = &candidate;
                }
                if (item && m_removed.contains(item->id))
                    continue;
                kept += raw(entry);
                count += entry.type == "infe";
            }
            return boxAround(box, tableHead(*m_heif.iinf, m_heif.iinf->version == 0 ? 2 : 4, count) + kept);
        }
        if (box.type == "iloc" && m_heif.iloc) {
            return entries(*m_heif.iloc, m_heif.locations, m_heif.iloc->version < 2 ? 2 : 4,
                           [this](const HeifItems::Location &entry) { return !m_removed.contains(entry.id); });
        }
        if (box.type == "iref" && m_heif.iref)
            return boxAround(box, slice(box.payloadOffset(), 4) + references());
        if (box.type == "iprp") {
            const auto inside = BmffBoxes::inBytes(QByteArrayView(m_whole).sliced(box.payloadOffset() - m_heif.meta.offset, box.payloadSize()),
                                                   box.payloadOffset());
            QByteArray payload;
            for (const auto &part : inside.boxes) {
                if (part.type == "ipma" && m_heif.ipma && part.offset == m_heif.ipma->box.offset)
                    payload += entries(*m_heif.ipma, m_heif.associations, 4, [this](const HeifItems::Association &entry) {
                        return !m_removed.contains(entry.item);
                    });
                else
                    payload += raw(part);
            }
            return boxAround(box, payload);
        }
        return raw(box);
    }

    QByteArray references() const
    {
        const int width = m_heif.iref->version == 0 ? 2 : 4;
        QByteArray out;
        for (const auto &reference : m_heif.references) {
            if (m_removed.contains(reference.from))
                continue;
            QList<quint32> to;
            for (quint32 id : reference.to) {
                if (!m_removed.contains(id))
                    to.append(id);
            }
            if (to.isEmpty())
                continue;
            if (to.size() == reference.to.size()) {
                out += slice(reference.boxOffset, reference.boxSize);
                continue;
            }
            QByteArray payload(width, '\0');
            putCount(payload, 0, width, reference.from);
            payload += QByteArray(2, '\0');
            putCount(payload, width, 2, quint32(to.size()));
            for (quint32 id : to) {
                payload += QByteArray(width, '\0');
                putCount(payload, payload.size() - width, width, id);
            }
            out += boxAround(BmffBox {reference.type, {}, 0, 0, 8}, payload);
        }
        return out;
    }

    const HeifItems &m_heif;
    const QByteArray &m_whole;
    const QSet<quint32> &m_removed;
};

bool overlaps(const HeifItems::Span &a, const HeifItems::Span &b)
{
    return a.offset < b.offset + b.length && b.offset < a.offset + a.length;
}

} // namespace

Expected<int> HeifMetadataRemoval::remove(const QString &stagedPath)
{
    return editStagedCopy(stagedPath, [](QIODevice &file, const QString &name) { return remove(file, name); });
}

Expected<int> HeifMetadataRemoval::remove(QIODevice &file, const QString &name)
{
    const ByteSource source(file);
    const auto top = BmffBoxes::inFile(source, 0, source.size());
    const BmffBox *metaBox = BmffBoxes::find(top.boxes, "meta");
    if (top.damage || !metaBox)
        return unfollowable(name);
    auto whole = source.read(metaBox->offset, metaBox->size);
    if (!whole)
        return unfollowable(name);
    const HeifItems heif = HeifItems::parse(*metaBox, QByteArrayView(*whole).sliced(metaBox->headerSize));
    if (heif.damage || !heif.iinf)
        return unfollowable(name);

    QSet<quint32> removed;
    for (const auto &item : heif.items) {
        if (HeifItems::isMetadata(item.type))
            removed.insert(item.id);
    }
    if (removed.isEmpty())
        return 0;
    if (removed.contains(heif.primary))
        return unfollowable(name);

    // The bytes to overwrite, none of which may belong to an item that stays.
    QList<HeifItems::Span> doomed, kept;
    for (const auto &location : heif.locations) {
        const auto spans = heif.spans(location.id, source.size());
        if (removed.contains(location.id)) {
            if (!spans)
                return unfollowable(name);
            doomed += *spans;
        } else if (spans) {
            kept += *spans;
        } else if (location.method != 2) {
            return unfollowable(name); // a picture running "to the end" could hold anything
        }
    }
    for (const auto &span : doomed) {
        for (const auto &other : kept) {
            if (overlaps(span, other))
                return sharedBytes(name);
        }
    }
    // Bytes in idat go with the rewritten index; the rest is zeroed in place below, and
    // must lie in media data: zeros anywhere else would break the file's structure.
    const auto within = [](const HeifItems::Span &span, const BmffBox &box) {
        return span.offset >= box.payloadOffset() && span.offset + span.length <= box.end();
    };
    QList<HeifItems::Span> inFile;
    for (const auto &span : std::as_const(doomed)) {
        if (heif.idat && within(span, *heif.idat)) {
            whole->replace(span.offset - metaBox->offset, span.length, QByteArray(span.length, '\0'));
            continue;
        }
        if (!std::any_of(top.boxes.begin(), top.boxes.end(),
                         [&](const BmffBox &box) { return box.type == "mdat" && within(span, box); }))
            return unfollowable(name);
        inFile.append(span);
    }

    QByteArray meta = MetaRewriter(heif, *whole, removed).rewritten();
    // Every removed entry is at least 21 bytes, so the room left always takes a free box.
    const qint64 room = metaBox->size - meta.size();
    if (room < 8 || room > 0xffffffffLL)
        return unfollowable(name);
    meta += boxAround(BmffBox {"free", {}, 0, 0, 8}, QByteArray(room - 8, '\0'));

    const auto writeAt = [&file](qint64 offset, const QByteArray &bytes) {
        return file.seek(offset) && file.write(bytes) == bytes.size();
    };
    if (!writeAt(metaBox->offset, meta))
        return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
    for (const auto &span : std::as_const(inFile)) {
        for (qint64 done = 0; done < span.length;) {
            const qint64 chunk = qMin<qint64>(span.length - done, 1 << 20);
            if (!writeAt(span.offset + done, QByteArray(chunk, '\0')))
                return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
            done += chunk;
        }
    }

    const ContainerWalk after = walkHeif(file);
    bool left = bool(after.damage);
    for (const auto &item : after.items)
        left = left || HeifItems::isMetadata(item.type);
    if (left) {
        return CleanError(CleanError::Kind::verifyFailed,
                          {name, translated("heif_metadata_left", "metadata items were still there afterwards")});
    }
    return int(removed.size());
}
