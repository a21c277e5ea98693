#include "RiffWave.h"

#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace {

struct Chunk
{
    QByteArrayView type;
    qsizetype offset, size; // size: header and pad byte included
};

struct Parsed
{
    QList<Chunk> chunks;
    qsizetype end = 0; // just after the RIFF data
    std::optional<QString> damage;
};

bool kept(QByteArrayView type)
{
    return type == "fmt " || type == "data" || type == "fact" || type == "cue " || type == "smpl" || type == "inst";
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    const auto end = riffEnd(bytes, "WAVE", QStringLiteral("not a RIFF WAVE file"));
    if (const QString *why = std::get_if<QString>(&end)) {
        parsed.damage = *why;
        return parsed;
    }
    parsed.end = std::get<qsizetype>(end);
    int fmt = 0, data = 0;
    for (qsizetype at = 12; at < parsed.end;) {
        if (parsed.end - at < 8 || parsed.chunks.size() >= maxPieces) {
            parsed.damage = QStringLiteral("a chunk runs past the RIFF data");
            return parsed;
        }
        const quint32 size = le32(bytes, at + 4);
        // The pad byte of an odd chunk that ends the file is often missing.
        const qsizetype padded = std::min<qsizetype>(qsizetype(size) + (size & 1), parsed.end - at - 8);
        if (qsizetype(size) > parsed.end - at - 8) {
            parsed.damage = QStringLiteral("chunk at byte %1 runs past the RIFF data").arg(at);
            return parsed;
        }
        const QByteArrayView type = bytes.sliced(at, 4);
        fmt += type == "fmt ";
        data += type == "data";
        parsed.chunks.append({type, at, 8 + padded});
        at += 8 + padded;
    }
    if (fmt != 1 || data != 1)
        parsed.damage = QStringLiteral("%1 fmt and %2 data chunks, not one each").arg(QString::number(fmt), QString::number(data));
    return parsed;
}

} // namespace

ContainerWalk walkWav(QByteArrayView bytes)
{
    ContainerWalk walk;
    const Parsed parsed = parse(bytes);
    walk.damage = parsed.damage;
    if (parsed.end > 0)
        walk.items.append({QStringLiteral("RIFF header"), "RIFF", 0, 12, ItemRole::needed, KeptBecause::structure, {}});
    for (const Chunk &c : parsed.chunks) {
        ContainerItem item {QStringLiteral("chunk"), c.type.toByteArray(), c.offset, c.size,
                            kept(c.type) ? ItemRole::needed : ItemRole::identifying, KeptBecause::media, {}};
        // "LIST" says little; its type ("INFO", "adtl") says what it holds.
        if (c.type == "LIST" && c.size >= 12) {
            const QByteArray list = bytes.sliced(c.offset + 8, 4).toByteArray();
            const bool text = std::all_of(list.begin(), list.end(), [](char ch) { return ch >= 0x20 && ch < 0x7f; });
            item.detail = text ? QString::fromLatin1(list) : QString::fromLatin1(list.toHex());
        }
        walk.items.append(item);
    }
    if (parsed.end > 0 && parsed.end < bytes.size()) {
        walk.items.append({QStringLiteral("after the audio"), "trailing", parsed.end, bytes.size() - parsed.end,
                           ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArray> cleanWav(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("wav");
    QByteArray out("RIFF\0\0\0\0WAVE", 12);
    out.reserve(parsed.end);
    for (const Chunk &c : parsed.chunks) {
        if (!kept(c.type))
            continue;
        out.append(bytes.sliced(c.offset, c.size));
        if (c.size & 1)
            out.append('\0');
    }
    qToLittleEndian(quint32(out.size() - 8), out.data() + 4);
    return out;
}
