#include "PngContainer.h"

#include "ContainerBytes.h"
#include "ExifOrientation.h"
#include "IccProfile.h"

#include <zlib.h>

using namespace ContainerBytes;

namespace {

constexpr char signature[] = "\x89PNG\r\n\x1a\n";
// A profile inflating beyond this is refused: no real one comes near.
constexpr qsizetype maxProfile = qsizetype(64) << 20;
const QByteArray profileName = "ICC profile";

struct Chunk
{
    QByteArrayView type, data;
    qsizetype offset;
};

struct Parsed
{
    QList<Chunk> chunks;
    qsizetype end = 0; // just after IEND
    std::optional<QString> damage;
};

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput || !bytes.startsWith(QByteArrayView(signature, 8))) {
        parsed.damage = QStringLiteral("not a PNG picture");
        return parsed;
    }
    qsizetype at = 8;
    while (parsed.end == 0) {
        if (!fits(bytes, at, 12) || parsed.chunks.size() >= maxPieces) {
            parsed.damage = QStringLiteral("ends before the picture's end");
            return parsed;
        }
        const quint32 length = be32(bytes, at);
        const QByteArrayView type = bytes.sliced(at + 4, 4);
        const bool letters = std::all_of(type.begin(), type.end(), [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
        if (length > 0x7FFFFFFFu || !letters || !fits(bytes, at + 8, qsizetype(length) + 4)) {
            parsed.damage = QStringLiteral("chunk at byte %1 is broken").arg(at);
            return parsed;
        }
        const QByteArrayView data = bytes.sliced(at + 8, length);
        const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef *>(type.data()), 4),
                                reinterpret_cast<const Bytef *>(data.data()), uInt(length));
        if (crc != be32(bytes, at + 8 + length) || (parsed.chunks.isEmpty() != (type == "IHDR"))) {
            parsed.damage = QStringLiteral("chunk at byte %1 is damaged").arg(at);
            return parsed;
        }
        parsed.chunks.append({type, data, at});
        at += 12 + length;
        if (type == "IEND")
            parsed.end = at;
    }
    return parsed;
}

// The profile an iCCP chunk holds, inflated; empty when it cannot be read.
QByteArray profileIn(QByteArrayView data)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul < 1 || nul > 79 || nul + 2 > data.size() || data[nul + 1] != 0)
        return {};
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return {};
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data() + nul + 2));
    stream.avail_in = uInt(data.size() - nul - 2);
    int status = Z_OK;
    while (status == Z_OK && out.size() < maxProfile) {
        const qsizetype had = out.size();
        out.resize(had + 65536);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + had);
        stream.avail_out = 65536;
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : QByteArray();
}

void appendChunk(QByteArray &out, QByteArrayView type, QByteArrayView data)
{
    appendBe32(out, quint32(data.size()));
    const qsizetype start = out.size();
    out.append(type.data(), 4).append(data.data(), data.size());
    appendBe32(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(out.constData() + start), uInt(out.size() - start))));
}

ContainerItem itemFor(const Chunk &c)
{
    ContainerItem item {QStringLiteral("chunk"), c.type.toByteArray(), c.offset, c.data.size() + 12, ItemRole::needed,
                        KeptBecause::colourSpace, {}};
    const QByteArrayView t = c.type;
    if (t == "IHDR" || t == "IEND") {
        item.keptBecause = KeptBecause::structure;
    } else if (t == "PLTE" || t == "IDAT") {
        item.keptBecause = KeptBecause::pixels;
    } else if (t == "tRNS") {
        item.keptBecause = KeptBecause::transparency;
    } else if (t == "acTL" || t == "fcTL" || t == "fdAT") {
        item.keptBecause = KeptBecause::animation;
    } else if (t == "gAMA" || t == "cHRM" || t == "sRGB" || t == "sBIT") {
    } else if (t == "pHYs") {
        // The pixels' aspect and print size: Qt writes it into every PNG.
        item.keptBecause = KeptBecause::pixels;
    } else if (t == "iCCP") {
        const QByteArray profile = profileIn(c.data);
        const QString name = QString::fromLatin1(c.data.first(std::max<qsizetype>(c.data.indexOf('\0'), 0)));
        item.keptBecause = KeptBecause::colourProfile;
        item.detail = iccDescription(profile).value_or(QString());
        if (profile.isEmpty() || walkIcc(profile).hasIdentifying() || (name != profileName && !isStandardIccName(name)))
            item.role = ItemRole::identifying;
    } else if (t == "eXIf" && ExifOrientation::isOrientationOnly(c.data)) {
        item.keptBecause = KeptBecause::orientation;
        item.detail = QStringLiteral("Orientation %1").arg(*ExifOrientation::read(c.data));
    } else {
        item.role = ItemRole::identifying;
    }
    return item;
}

} // namespace

ContainerWalk walkPng(QByteArrayView bytes)
{
    ContainerWalk walk;
    const Parsed parsed = parse(bytes);
    walk.damage = parsed.damage;
    if (bytes.startsWith(QByteArrayView(signature, 8)))
        walk.items.append({QStringLiteral("signature"), "PNG", 0, 8, ItemRole::needed, KeptBecause::structure, {}});
    for (const Chunk &c : parsed.chunks) {
        walk.items.append(itemFor(c));
        if (c.type == "iCCP" && !walk.damage) {
            const QByteArray profile = profileIn(c.data);
            if (profile.isEmpty() || walkIcc(profile).damage)
                walk.damage = QStringLiteral("colour profile at byte %1 cannot be read").arg(c.offset);
        }
    }
    if (parsed.end > 0 && parsed.end < bytes.size()) {
        walk.items.append({QStringLiteral("after the picture's end"), "trailing", parsed.end, bytes.size() - parsed.end,
                           ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArray> cleanPng(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("png");
    QByteArray out;
    out.reserve(parsed.end);
    out.append(signature, 8);
    for (const Chunk &c : parsed.chunks) {
        const QByteArrayView t = c.type;
        if (t == "iCCP") {
            const QByteArray profile = profileIn(c.data);
            const auto scrubbed = profile.isEmpty() ? Expected<QByteArray>(refused("png")) : cleanIcc(profile);
            if (!scrubbed)
                return refused("png");
            uLongf size = compressBound(uLong(scrubbed.value().size()));
            QByteArray data = profileName + QByteArray(2, '\0');
            const qsizetype head = data.size();
            data.resize(head + qsizetype(size));
            if (compress2(reinterpret_cast<Bytef *>(data.data() + head), &size,
                          reinterpret_cast<const Bytef *>(scrubbed.value().constData()), uLong(scrubbed.value().size()), 9)
                != Z_OK)
                return refused("png");
            data.resize(head + qsizetype(size));
            appendChunk(out, t, data);
        } else if (t == "eXIf") {
            const int orientation = ExifOrientation::read(c.data).value_or(1);
            if (orientation != 1)
                appendChunk(out, t, ExifOrientation::build(orientation));
        } else if (itemFor(c).role != ItemRole::identifying) {
            out.append(bytes.data() + c.offset, c.data.size() + 12);
        }
    }
    return out;
}
