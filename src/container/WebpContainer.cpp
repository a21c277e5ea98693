#include "WebpContainer.h"

#include "ContainerBytes.h"
#include "IccProfile.h"

using namespace ContainerBytes;

namespace {

constexpr qsizetype frameHeader = 16; // inside ANMF, before the frame's own chunks
constexpr uchar iccFlag = 0x20, alphaFlag = 0x10, animationFlag = 0x02;

struct Chunk
{
    QByteArrayView type, data;
    qsizetype offset;
    int frame = 0; // 1-based when inside an animation frame
};

struct Parsed
{
    QList<Chunk> chunks;
    qsizetype end = 0; // just after the RIFF data
    std::optional<QString> damage;
};

// The chunks in bytes [at, end): false when one does not fit.
bool chunksIn(QByteArrayView bytes, qsizetype at, qsizetype end, int frame, Parsed &parsed)
{
    while (at < end) {
        if (end - at < 8 || parsed.chunks.size() >= maxPieces)
            return false;
        const quint32 size = le32(bytes, at + 4);
        const qsizetype padded = qsizetype(size) + (size & 1);
        if (padded > end - at - 8)
            return false;
        parsed.chunks.append({bytes.sliced(at, 4), bytes.sliced(at + 8, size), at, frame});
        at += 8 + padded;
    }
    return true;
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    const auto end = riffEnd(bytes, "WEBP", QStringLiteral("not a WebP picture"));
    if (const QString *why = std::get_if<QString>(&end)) {
        parsed.damage = *why;
        return parsed;
    }
    parsed.end = std::get<qsizetype>(end);
    if (!chunksIn(bytes, 12, parsed.end, 0, parsed)) {
        parsed.damage = QStringLiteral("a chunk runs past the RIFF data");
        return parsed;
    }
    int frames = 0;
    for (qsizetype i = 0; i < parsed.chunks.size(); ++i) {
        const Chunk anmf = parsed.chunks[i];
        if ((anmf.type == "VP8X" && anmf.data.size() < 10) || (anmf.type == "ICCP" && walkIcc(anmf.data).damage)) {
            parsed.damage = QStringLiteral("chunk at byte %1 is broken").arg(anmf.offset);
            return parsed;
        }
        if (anmf.type != "ANMF" || anmf.frame != 0)
            continue;
        const qsizetype start = anmf.offset + 8 + frameHeader;
        if (anmf.data.size() < frameHeader || !chunksIn(bytes, start, anmf.offset + 8 + anmf.data.size(), ++frames, parsed)) {
            parsed.damage = QStringLiteral("animation frame %1 is broken").arg(frames);
            return parsed;
        }
    }
    return parsed;
}

bool holdsPicture(QByteArrayView t)
{
    return t == "VP8 " || t == "VP8L" || t == "ALPH";
}

ContainerItem itemFor(const Chunk &c)
{
    ContainerItem item {c.frame ? QStringLiteral("animation frame %1").arg(c.frame) : QStringLiteral("chunk"),
                        c.type.toByteArray(), c.offset, 8 + c.data.size() + (c.data.size() & 1), ItemRole::needed,
                        KeptBecause::pixels, {}};
    const QByteArrayView t = c.type;
    if (t == "ALPH") {
        item.keptBecause = KeptBecause::transparency;
    } else if (holdsPicture(t)) {
    } else if (c.frame != 0) {
        item.role = ItemRole::identifying;
    } else if (t == "VP8X") {
        item.keptBecause = KeptBecause::structure;
    } else if (t == "ANIM" || t == "ANMF") {
        item.keptBecause = KeptBecause::animation;
    } else if (t == "ICCP") {
        item.keptBecause = KeptBecause::colourProfile;
        item.detail = iccDescription(c.data).value_or(QString());
        if (walkIcc(c.data).hasIdentifying())
            item.role = ItemRole::identifying;
    } else {
        item.role = ItemRole::identifying;
    }
    return item;
}

void appendChunk(QByteArray &out, QByteArrayView type, QByteArrayView data)
{
    out.append(type.data(), 4);
    appendLe32(out, quint32(data.size()));
    out.append(data.data(), data.size());
    if (data.size() & 1)
        out.append('\0');
}

} // namespace

ContainerWalk walkWebp(QByteArrayView bytes)
{
    ContainerWalk walk;
    const Parsed parsed = parse(bytes);
    walk.damage = parsed.damage;
    if (!parsed.damage)
        walk.items.append({QStringLiteral("RIFF header"), "RIFF", 0, 12, ItemRole::needed, KeptBecause::structure, {}});
    for (const Chunk &c : parsed.chunks)
        walk.items.append(itemFor(c));
    if (parsed.end > 0 && parsed.end < bytes.size()) {
        walk.items.append({QStringLiteral("after the picture's end"), "trailing", parsed.end, bytes.size() - parsed.end,
                           ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArray> cleanWebp(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("webp");
    const bool extended = std::any_of(parsed.chunks.begin(), parsed.chunks.end(), [](const Chunk &c) { return c.type == "VP8X"; });
    QByteArray profile;
    for (const Chunk &c : parsed.chunks) {
        if (c.type == "ICCP" && extended && profile.isEmpty())
            profile = cleanIcc(c.data).value(); // parsing checked it
    }

    QByteArray out;
    out.reserve(parsed.end);
    out.append("RIFF\0\0\0\0WEBP", 12);
    int frame = 0;
    qsizetype inner = 0;
    while (inner < parsed.chunks.size() && parsed.chunks[inner].frame == 0)
        ++inner;
    for (qsizetype i = 0; i < parsed.chunks.size(); ++i) {
        const Chunk &c = parsed.chunks[i];
        if (c.frame != 0)
            continue; // written with their frame
        if (c.type == "VP8X") {
            // Flags for what stays; the reserved bytes zeroed.
            QByteArray header = c.data.first(10).toByteArray();
            header[0] = char((uchar(header[0]) & (alphaFlag | animationFlag)) | (profile.isEmpty() ? 0 : iccFlag));
            header[1] = header[2] = header[3] = 0;
            appendChunk(out, c.type, header);
            if (!profile.isEmpty())
                appendChunk(out, "ICCP", profile);
        } else if (c.type == "ANMF") {
            const qsizetype start = out.size();
            appendChunk(out, c.type, c.data.first(frameHeader));
            // A frame's own chunks follow the top level ones, frame by frame.
            for (++frame; inner < parsed.chunks.size() && parsed.chunks[inner].frame <= frame; ++inner) {
                if (parsed.chunks[inner].frame == frame && holdsPicture(parsed.chunks[inner].type))
                    appendChunk(out, parsed.chunks[inner].type, parsed.chunks[inner].data);
            }
            qToLittleEndian(quint32(out.size() - start - 8), out.data() + start + 4);
        } else if (c.type != "ICCP" && itemFor(c).role != ItemRole::identifying) {
            appendChunk(out, c.type, c.data);
        }
    }
    qToLittleEndian(quint32(out.size() - 8), out.data() + 4);
    return out;
}
