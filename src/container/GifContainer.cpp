#include "GifContainer.h"

#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace {

constexpr uchar imageBlock = 0x2c, extensionBlock = 0x21, trailer = 0x3b;
constexpr uchar timing = 0xf9, comment = 0xfe, plainText = 0x01, application = 0xff;

struct Parsed
{
    QList<ContainerItem> items;
    std::optional<QString> damage;
};

qsizetype colourTableSize(uchar flags)
{
    return (flags & 0x80) ? 3 * (qsizetype(2) << (flags & 7)) : 0;
}

// Past a chain of data sub-blocks that starts at `at`: the byte after its
// zero terminator, or -1 when the chain runs off the file.
qsizetype pastSubBlocks(QByteArrayView bytes, qsizetype at)
{
    while (fits(bytes, at, 1)) {
        const uchar length = uchar(bytes[at]);
        if (length == 0)
            return at + 1;
        at += 1 + length;
    }
    return -1;
}

// Looping is the one application extension animations need; ANIMEXTS is
// the older name for the same.
bool isLooping(QByteArrayView bytes, qsizetype at)
{
    return fits(bytes, at, 14) && uchar(bytes[at + 2]) == 11
        && (bytes.sliced(at + 3, 11) == "NETSCAPE2.0" || bytes.sliced(at + 3, 11) == "ANIMEXTS1.0");
}

ContainerItem extension(QByteArrayView bytes, qsizetype at, qsizetype end, int frame)
{
    ContainerItem item {QStringLiteral("extension"), "Extension", at, end - at, ItemRole::identifying,
                        KeptBecause::structure, {}};
    switch (uchar(bytes[at + 1])) {
    case timing:
        item = {QStringLiteral("frame %1").arg(frame), "GraphicControl", at, end - at, ItemRole::needed,
                KeptBecause::animation, {}};
        break;
    case comment:
        item.type = "Comment";
        break;
    case plainText:
        // Text the decoder draws over the picture: part of what is shown.
        item = {QStringLiteral("frame %1").arg(frame), "PlainText", at, end - at, ItemRole::content,
                KeptBecause::content, {}};
        break;
    case application:
        item.type = "Application";
        if (fits(bytes, at, 14) && uchar(bytes[at + 2]) == 11)
            item.detail = QString::fromLatin1(bytes.sliced(at + 3, 11).toByteArray());
        if (isLooping(bytes, at)) {
            item.role = ItemRole::needed;
            item.keptBecause = KeptBecause::animation;
        }
        break;
    default:
        break;
    }
    return item;
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput || bytes.size() < 13 || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))) {
        parsed.damage = QStringLiteral("not a GIF picture");
        return parsed;
    }
    qsizetype at = 13 + colourTableSize(uchar(bytes[10]));
    if (!fits(bytes, 0, at)) {
        parsed.damage = QStringLiteral("the colour table runs past the file");
        return parsed;
    }
    parsed.items.append({QStringLiteral("file header"), "Header", 0, at, ItemRole::needed, KeptBecause::pixels, {}});
    int frame = 1;
    while (fits(bytes, at, 1)) {
        if (parsed.items.size() >= maxPieces) {
            parsed.damage = QStringLiteral("more blocks than any real file has, at byte %1").arg(at);
            return parsed;
        }
        const uchar kind = uchar(bytes[at]);
        if (kind == trailer) {
            parsed.items.append({QStringLiteral("file end"), "Trailer", at, 1, ItemRole::needed, KeptBecause::structure, {}});
            if (at + 1 < bytes.size()) {
                parsed.items.append({QStringLiteral("after the picture's end"), "trailing", at + 1,
                                     bytes.size() - at - 1, ItemRole::identifying, KeptBecause::structure, {}});
            }
            return parsed;
        }
        qsizetype end = -1;
        if (kind == imageBlock && fits(bytes, at, 11)) {
            const qsizetype data = at + 10 + colourTableSize(uchar(bytes[at + 9])) + 1; // after the LZW code size
            end = fits(bytes, data, 0) ? pastSubBlocks(bytes, data) : -1;
            if (end > 0)
                parsed.items.append({QStringLiteral("frame %1").arg(frame++), "Image", at, end - at, ItemRole::needed,
                                     KeptBecause::pixels, {}});
        } else if (kind == extensionBlock && fits(bytes, at, 2)) {
            end = pastSubBlocks(bytes, at + 2);
            if (end > 0)
                parsed.items.append(extension(bytes, at, end, frame));
        }
        if (end < 0) {
            parsed.damage = QStringLiteral("block at byte %1 is broken").arg(at);
            return parsed;
        }
        at = end;
    }
    parsed.damage = QStringLiteral("the file ends before its trailer");
    return parsed;
}

} // namespace

ContainerWalk walkGif(QByteArrayView bytes)
{
    Parsed parsed = parse(bytes);
    return {std::move(parsed.items), parsed.damage};
}

Expected<QByteArray> cleanGif(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("gif");
    QByteArray out;
    out.reserve(bytes.size());
    for (const ContainerItem &item : parsed.items) {
        if (item.role != ItemRole::identifying)
            out.append(bytes.sliced(item.offset, item.size));
    }
    return out;
}
