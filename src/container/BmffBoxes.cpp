#include "BmffBoxes.h"

#include "ByteCursor.h"
#include "ByteSource.h"
#include "ContainerText.h"

#include <functional>

namespace {

using HeaderReader = std::function<std::optional<QByteArray>(qint64 offset, qint64 length)>;

// The header at `offset`, within [offset, end).
std::optional<BmffBox> header(const HeaderReader &read, qint64 offset, qint64 end)
{
    const auto basic = read(offset, 8);
    if (!basic)
        return std::nullopt;
    ByteCursor cursor(*basic);
    BmffBox box;
    box.offset = offset;
    const quint64 size32 = cursor.u32();
    box.type = cursor.bytes(4);
    quint64 size = size32;
    if (size32 == 1) {
        const auto large = read(offset + 8, 8);
        if (!large)
            return std::nullopt;
        size = ByteCursor(*large).u64();
        box.headerSize = 16;
    } else if (size32 == 0) {
        size = quint64(end - offset);
    }
    if (box.type == "uuid") {
        const auto user = read(offset + box.headerSize, 16);
        if (!user)
            return std::nullopt;
        box.userType = *user;
        box.headerSize += 16;
    }
    if (size < quint64(box.headerSize) || size > quint64(end - offset))
        return std::nullopt;
    box.size = qint64(size);
    return box;
}

BmffBoxes::Listing list(const HeaderReader &read, qint64 begin, qint64 end)
{
    BmffBoxes::Listing listing;
    qint64 offset = begin;
    while (offset < end) {
        if (listing.boxes.size() >= BmffBoxes::maxBoxes) {
            listing.damage = ContainerText::tooMany(offset);
            break;
        }
        const auto box = header(read, offset, end);
        if (!box) {
            listing.damage = ContainerText::brokenAt(offset);
            break;
        }
        listing.boxes.append(*box);
        offset = box->end();
    }
    return listing;
}

} // namespace

BmffBoxes::Listing BmffBoxes::inFile(const ByteSource &source, qint64 begin, qint64 end)
{
    end = qMin(end, source.size());
    return list([&](qint64 offset, qint64 length) { return source.read(offset, length); }, begin, end);
}

BmffBoxes::Listing BmffBoxes::inBytes(QByteArrayView bytes, qint64 offset)
{
    const auto read = [&](qint64 at, qint64 length) -> std::optional<QByteArray> {
        const qint64 local = at - offset;
        if (local < 0 || length < 0 || local > bytes.size() || length > bytes.size() - local)
            return std::nullopt;
        return bytes.sliced(local, length).toByteArray();
    };
    return list(read, offset, offset + bytes.size());
}

const BmffBox *BmffBoxes::find(const QList<BmffBox> &boxes, QByteArrayView type)
{
    for (const auto &box : boxes) {
        if (box.type == type)
            return &box;
    }
    return nullptr;
}
