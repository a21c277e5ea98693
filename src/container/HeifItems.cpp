#include "HeifItems.h"

#include "BmffBoxes.h"
#include "ByteCursor.h"
#include "ContainerText.h"

namespace {

// The bytes of a box inside the meta box's payload, which starts at `base` in the file.
QByteArrayView payloadOf(const BmffBox &box, QByteArrayView metaPayload, qint64 base)
{
    return metaPayload.sliced(box.payloadOffset() - base, box.payloadSize());
}

bool validFieldSize(quint64 size)
{
    return size == 0 || size == 4 || size == 8;
}

} // namespace

bool HeifItems::isMetadata(const QByteArray &type)
{
    return type == "Exif" || type == "mime" || type == "uri ";
}

const HeifItems::Item *HeifItems::item(quint32 id) const
{
    for (const auto &entry : items) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

const HeifItems::Location *HeifItems::location(quint32 id) const
{
    for (const auto &entry : locations) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

HeifItems HeifItems::parse(const BmffBox &metaBox, QByteArrayView payload)
{
    HeifItems heif;
    heif.meta = metaBox;
    const qint64 base = metaBox.payloadOffset();
    // The meta box is a full box: version and flags come before its children.
    if (payload.size() < 4) {
        heif.damage = ContainerText::brokenAt(metaBox.offset);
        return heif;
    }
    auto listing = BmffBoxes::inBytes(payload.sliced(4), base + 4);
    heif.children = listing.boxes;
    heif.damage = listing.damage;
    const auto fail = [&heif](qint64 offset) {
        if (!heif.damage)
            heif.damage = ContainerText::brokenAt(offset);
    };

    for (const auto &box : std::as_const(heif.children)) {
        const QByteArrayView bytes = payloadOf(box, payload, base);
        ByteCursor cursor(bytes);
        const auto at = [&](qint64 position) { return box.payloadOffset() + position; };
        if (box.type == "pitm") {
            const int version = cursor.u8();
            cursor.skip(3);
            heif.primary = version == 0 ? cursor.u16() : cursor.u32();
            if (!cursor.ok())
                fail(box.offset);
        } else if (box.type == "iinf") {
            Table table {box, 0, cursor.u8(), quint32(cursor.number(3))};
            cursor.skip(table.version == 0 ? 2 : 4);
            table.entriesOffset = at(cursor.position());
            heif.iinf = table;
            const auto entries = BmffBoxes::inBytes(bytes.sliced(qMin<qint64>(cursor.position(), bytes.size())),
                                                    table.entriesOffset);
            if (!cursor.ok() || entries.damage || entries.boxes.size() > maxEntries)
                fail(box.offset);
            for (const auto &infe : entries.boxes) {
                if (infe.type != "infe")
                    continue;
                ByteCursor entry(payloadOf(infe, payload, base));
                Item item;
                item.entryOffset = infe.offset;
                item.entrySize = infe.size;
                const int version = entry.u8();
                entry.skip(3);
                item.id = version >= 3 ? entry.u32() : entry.u16();
                entry.skip(2); // protection index
                if (version < 2) {
                    // Old entries name a content type and nothing else: they describe, they are not pictures.
                    item.type = "mime";
                    entry.cString();
                    item.contentType = entry.cString();
                } else {
                    item.type = entry.bytes(4);
                    entry.cString(); // the item's name
                    if (item.type == "mime")
                        item.contentType = entry.cString();
                    else if (item.type == "uri ")
                        item.uri = entry.cString();
                }
                if (!entry.ok())
                    fail(infe.offset);
                heif.items.append(item);
            }
        } else if (box.type == "iloc") {
            Table table {box, 0, cursor.u8(), quint32(cursor.number(3))};
            const quint8 sizes = cursor.u8(), more = cursor.u8();
            const int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
            const int indexSize = table.version >= 1 ? more & 15 : 0;
            const quint32 count = table.version < 2 ? cursor.u16() : cursor.u32();
            table.entriesOffset = at(cursor.position());
            heif.iloc = table;
            if (!validFieldSize(offsetSize) || !validFieldSize(lengthSize) || !validFieldSize(baseSize)
                || !validFieldSize(indexSize) || count > maxEntries || !cursor.ok() || table.version > 2) {
                fail(box.offset);
                continue;
            }
            for (quint32 i = 0; i < count && cursor.ok(); ++i) {
                Location location;
                location.entryOffset = at(cursor.position());
                location.id = table.version < 2 ? cursor.u16() : cursor.u32();
                if (table.version >= 1)
                    location.method = cursor.u16() & 15;
                location.dataReference = cursor.u16();
                location.baseOffset = cursor.number(baseSize);
                const int extents = cursor.u16();
                for (int e = 0; e < extents && cursor.ok(); ++e) {
                    cursor.number(indexSize);
                    Extent extent;
                    extent.offset = cursor.number(offsetSize);
                    extent.length = cursor.number(lengthSize);
                    location.extents.append(extent);
                }
                location.entrySize = at(cursor.position()) - location.entryOffset;
                if (cursor.ok())
                    heif.locations.append(location);
            }
            if (!cursor.ok())
                fail(box.offset);
        } else if (box.type == "iref") {
            Table table {box, 0, cursor.u8(), quint32(cursor.number(3))};
            table.entriesOffset = at(4);
            heif.iref = table;
            if (!cursor.ok()) {
                fail(box.offset);
                continue;
            }
            const auto listed = BmffBoxes::inBytes(bytes.sliced(4), table.entriesOffset);
            if (listed.damage || listed.boxes.size() > maxEntries)
                fail(box.offset);
            for (const auto &single : listed.boxes) {
                ByteCursor entry(payloadOf(single, payload, base));
                Reference reference {single.type, 0, {}, single.offset, single.size};
                reference.from = table.version == 0 ? entry.u16() : entry.u32();
                const int count = entry.u16();
                for (int i = 0; i < count && entry.ok(); ++i)
                    reference.to.append(table.version == 0 ? entry.u16() : entry.u32());
                if (!entry.ok())
                    fail(single.offset);
                heif.references.append(reference);
            }
        } else if (box.type == "iprp") {
            heif.iprp = box;
            const auto inside = BmffBoxes::inBytes(bytes, box.payloadOffset());
            if (inside.damage)
                fail(box.offset);
            for (const auto &part : inside.boxes) {
                const QByteArrayView partBytes = payloadOf(part, payload, base);
                if (part.type == "ipco") {
                    const auto listed = BmffBoxes::inBytes(partBytes, part.payloadOffset());
                    if (listed.damage)
                        fail(part.offset);
                    heif.properties += listed.boxes;
                } else if (part.type == "ipma") {
                    ByteCursor entries(partBytes);
                    Table table {part, 0, entries.u8(), quint32(entries.number(3))};
                    const quint32 count = entries.u32();
                    table.entriesOffset = part.payloadOffset() + entries.position();
                    heif.ipma = table;
                    if (count > maxEntries)
                        fail(part.offset);
                    for (quint32 i = 0; i < count && count <= maxEntries && entries.ok(); ++i) {
                        Association association;
                        association.entryOffset = part.payloadOffset() + entries.position();
                        association.item = table.version < 1 ? entries.u16() : entries.u32();
                        const int n = entries.u8();
                        for (int p = 0; p < n; ++p)
                            association.properties.append((table.flags & 1) ? entries.u16() & 0x7fff : entries.u8() & 0x7f);
                        association.entrySize = part.payloadOffset() + entries.position() - association.entryOffset;
                        if (entries.ok())
                            heif.associations.append(association);
                    }
                    if (!entries.ok())
                        fail(part.offset);
                }
            }
        } else if (box.type == "idat") {
            heif.idat = box;
        }
    }
    return heif;
}

std::optional<QList<HeifItems::Span>> HeifItems::spans(quint32 id, qint64 fileSize) const
{
    const Location *where = location(id);
    if (!where)
        return QList<Span> {};
    if (where->method > 1 || where->dataReference != 0 || (where->method == 1 && !idat))
        return std::nullopt;
    const qint64 start = where->method == 1 ? idat->payloadOffset() : 0;
    const qint64 end = where->method == 1 ? idat->end() : fileSize;
    QList<Span> out;
    for (const auto &extent : where->extents) {
        const quint64 offset = where->baseOffset + extent.offset;
        if (extent.length == 0 || offset < where->baseOffset || offset > quint64(end - start)
            || extent.length > quint64(end - start) - offset)
            return std::nullopt;
        out.append({start + qint64(offset), qint64(extent.length)});
    }
    return out;
}

QString HeifItems::imagePlace(quint32 id) const
{
    using ContainerText::translated;
    if (id == primary)
        return translated("heif_primary_image", "primary image");
    for (const auto &reference : references) {
        if (reference.from != id || reference.to.isEmpty())
            continue;
        if (reference.type == "thmb")
            return translated("heif_thumbnail_of", "thumbnail of item %1").arg(reference.to.first());
        if (reference.type == "auxl")
            return translated("heif_auxiliary_image", "auxiliary image");
    }
    for (const auto &reference : references) {
        if (reference.type == "dimg" && reference.to.contains(id))
            return translated("heif_tile_of", "tile of item %1").arg(reference.from);
    }
    return translated("heif_second_image", "second image");
}
