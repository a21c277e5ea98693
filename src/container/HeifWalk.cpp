#include "HeifItems.h"

#include "BmffBoxes.h"
#include "ByteCursor.h"
#include "ByteSource.h"
#include "ContainerText.h"

#include <QIODevice>
#include <QSet>

using ContainerText::translated;

namespace {

ContainerItem needed(QString place, const BmffBox &box, KeptBecause why, QString detail = {})
{
    return {std::move(place), box.type, box.offset, box.size, ItemRole::needed, why, std::move(detail)};
}

ContainerItem identifying(QString place, const BmffBox &box, QString detail = {})
{
    return {std::move(place), box.type, box.offset, box.size, ItemRole::identifying, KeptBecause::structure,
            std::move(detail)};
}

std::optional<KeptBecause> propertyPurpose(const QByteArray &type)
{
    static const QSet<QByteArray> pixels {"ispe", "pixi", "hvcC", "av1C", "auxC", "clap", "pasp", "a1op",
                                          "a1lx", "lsel", "rloc", "jpgC", "uncC", "cmpd", "vvcC"};
    if (type == "colr")
        return KeptBecause::colourProfile;
    if (type == "irot" || type == "imir")
        return KeptBecause::orientation;
    if (type == "clli" || type == "mdcv")
        return KeptBecause::colourSpace;
    if (pixels.contains(type))
        return KeptBecause::pixels;
    return std::nullopt;
}

QString propertyDetail(const BmffBox &box, QByteArrayView metaPayload, qint64 base)
{
    ByteCursor cursor(metaPayload.sliced(box.payloadOffset() - base, box.payloadSize()));
    if (box.type == "colr")
        return QString::fromLatin1(cursor.bytes(4));
    if (box.type == "irot")
        return QStringLiteral("%1°").arg((cursor.u8() & 3) * 90);
    return {};
}

void walkMeta(const BmffBox &metaBox, const ByteSource &source, ContainerWalk &walk)
{
    const auto bytes = source.read(metaBox.payloadOffset(), metaBox.payloadSize());
    if (!bytes) {
        walk.damage = ContainerText::brokenAt(metaBox.offset);
        return;
    }
    const HeifItems heif = HeifItems::parse(metaBox, *bytes);
    if (heif.damage && !walk.damage)
        walk.damage = heif.damage;

    static const QSet<QByteArray> structure {"hdlr", "pitm", "iinf", "iloc", "iref", "iprp", "idat", "dinf",
                                             "grpl", "free", "skip"};
    const QString metaPlace = translated("heif_meta_box", "image index");
    for (const auto &box : heif.children)
        walk.items.append(structure.contains(box.type) ? needed(metaPlace, box, KeptBecause::structure)
                                                       : identifying(metaPlace, box));

    for (const auto &item : heif.items) {
        const auto spans = heif.spans(item.id, source.size());
        BmffBox where {item.type, {}, item.entryOffset, item.entrySize, 0};
        if (spans && !spans->isEmpty()) {
            where.offset = spans->first().offset;
            where.size = 0;
            for (const auto &span : *spans)
                where.size += span.length;
        }
        if (!HeifItems::isMetadata(item.type)) {
            walk.items.append(needed(heif.imagePlace(item.id), where, KeptBecause::pixels,
                                     QStringLiteral("item %1").arg(item.id)));
            continue;
        }
        std::optional<quint32> described;
        for (const auto &reference : heif.references) {
            if (reference.type == "cdsc" && reference.from == item.id && !reference.to.isEmpty())
                described = reference.to.first();
        }
        const QString place = described
            ? translated("heif_metadata_of", "item %1, about the %2 (item %3)")
                  .arg(QString::number(item.id), heif.imagePlace(*described), QString::number(*described))
            : translated("heif_metadata_loose", "item %1, about the whole file").arg(item.id);
        walk.items.append(identifying(place, where, QString::fromLatin1(item.contentType + item.uri)));
    }

    const QString propertyPlace = translated("heif_property", "image property %1");
    for (qsizetype i = 0; i < heif.properties.size(); ++i) {
        const BmffBox &box = heif.properties.at(i);
        const auto purpose = propertyPurpose(box.type);
        const QString place = propertyPlace.arg(i + 1);
        walk.items.append(purpose ? needed(place, box, *purpose, propertyDetail(box, *bytes, metaBox.payloadOffset()))
                                  : identifying(place, box));
    }
}

} // namespace

ContainerWalk walkHeif(QIODevice &file)
{
    ContainerWalk walk;
    const ByteSource source(file);
    const auto top = BmffBoxes::inFile(source, 0, source.size());
    walk.damage = top.damage;
    bool sawMeta = false;
    const QString topPlace = translated("bmff_top_level", "file");
    for (const auto &box : top.boxes) {
        if (box.type == "meta" && !sawMeta) {
            sawMeta = true;
            walk.items.append(needed(topPlace, box, KeptBecause::structure));
            walkMeta(box, source, walk);
        } else if (box.type == "ftyp" || box.type == "free" || box.type == "skip") {
            walk.items.append(needed(topPlace, box, KeptBecause::structure));
        } else if (box.type == "mdat") {
            walk.items.append(needed(topPlace, box, KeptBecause::pixels));
        } else {
            walk.items.append(identifying(topPlace, box));
        }
    }
    if (!sawMeta && !walk.damage)
        walk.damage = ContainerText::brokenAt(0);
    return walk;
}
