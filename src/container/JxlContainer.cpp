#include "JxlContainer.h"

#include "BmffBoxes.h"
#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace {

const QByteArray signature("\0\0\0\x0cJXL \r\n\x87\n", 12);

bool isCodestream(const QByteArray &type)
{
    return type == "jxlc" || type == "jxlp";
}

ContainerItem itemFor(const BmffBox &box)
{
    ContainerItem item {QStringLiteral("box"), box.type, box.offset, box.size, ItemRole::identifying,
                        KeptBecause::structure, {}};
    if (isCodestream(box.type) || box.type == "jxli") {
        item.role = ItemRole::needed;
        item.keptBecause = KeptBecause::pixels;
    } else if (box.type == "JXL " || box.type == "ftyp" || box.type == "jxll") {
        item.role = ItemRole::needed;
    } else if (box.type == "jbrd") {
        item.detail = QStringLiteral("data to rebuild the original JPEG");
    }
    return item;
}

} // namespace

ContainerWalk walkJxl(QByteArrayView bytes)
{
    ContainerWalk walk;
    if (bytes.size() > maxInput) {
        walk.damage = QStringLiteral("larger than any picture");
        return walk;
    }
    if (bytes.startsWith("\xff\x0a")) {
        walk.items.append({QStringLiteral("codestream"), "jxlc", 0, bytes.size(), ItemRole::needed, KeptBecause::pixels, {}});
        return walk;
    }
    if (!bytes.startsWith(signature)) {
        walk.damage = QStringLiteral("not a JPEG XL picture");
        return walk;
    }
    const BmffBoxes::Listing listing = BmffBoxes::inBytes(bytes, 0);
    walk.damage = listing.damage;
    bool codestream = false;
    for (const BmffBox &box : listing.boxes) {
        walk.items.append(itemFor(box));
        codestream = codestream || isCodestream(box.type);
    }
    if (!walk.damage && (listing.boxes.size() < 2 || listing.boxes[1].type != "ftyp" || !codestream))
        walk.damage = QStringLiteral("the boxes a JPEG XL picture starts with are missing");
    return walk;
}

Expected<QByteArray> cleanJxl(QByteArrayView bytes)
{
    const ContainerWalk walk = walkJxl(bytes);
    if (walk.damage)
        return refused("jxl");
    QByteArray out;
    out.reserve(bytes.size());
    for (const ContainerItem &item : walk.items) {
        if (item.role != ItemRole::identifying)
            out.append(bytes.sliced(item.offset, item.size));
    }
    return out;
}
