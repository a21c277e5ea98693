#include "FlacBlocks.h"

#include "AudioTags.h"
#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace {

enum BlockType : uchar { streamInfo = 0, padding = 1, application = 2, seekTable = 3, vorbisComment = 4, cueSheet = 5, picture = 6 };

struct Block
{
    uchar type;
    qsizetype offset, size; // size: header included
};

struct Parsed
{
    QList<ContainerItem> before, after;
    QList<Block> blocks;
    qsizetype framesStart = 0, framesEnd = 0;
    std::optional<QString> damage;
};

QByteArray nameOf(uchar type)
{
    static const char *const names[] = {"STREAMINFO", "PADDING", "APPLICATION", "SEEKTABLE", "VORBIS_COMMENT",
                                        "CUESHEET", "PICTURE"};
    return type < std::size(names) ? QByteArray(names[type]) : "block " + QByteArray::number(type);
}

bool kept(uchar type)
{
    return type == streamInfo || type == seekTable;
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput) {
        parsed.damage = QStringLiteral("too large");
        return parsed;
    }
    qsizetype at = 0;
    if ((parsed.damage = AudioTags::leadingId3v2(bytes, at, parsed.before)))
        return parsed;
    if (!fits(bytes, at, 4) || bytes.sliced(at, 4) != "fLaC") {
        parsed.damage = QStringLiteral("not a FLAC file");
        return parsed;
    }
    at += 4;
    for (bool last = false; !last;) {
        if (!fits(bytes, at, 4) || parsed.blocks.size() >= maxPieces) {
            parsed.damage = QStringLiteral("the metadata ends at byte %1 before its last block").arg(at);
            return parsed;
        }
        const uchar header = uchar(bytes[at]);
        last = header & 0x80;
        const qsizetype size = 4 + ((qsizetype(uchar(bytes[at + 1])) << 16) | be16(bytes, at + 2));
        const uchar type = header & 0x7f;
        // STREAMINFO comes first and is 34 bytes long; 127 is no block.
        if (!fits(bytes, at, size) || type == 127 || (parsed.blocks.isEmpty() != (type == streamInfo))
            || (type == streamInfo && size != 4 + 34)) {
            parsed.damage = QStringLiteral("metadata block %1 at byte %2 is broken").arg(QString::number(parsed.blocks.size() + 1), QString::number(at));
            return parsed;
        }
        parsed.blocks.append({type, at, size});
        at += size;
    }
    const AudioTags::Tail tail = AudioTags::tail(bytes, at, bytes.size());
    if (tail.damaged) {
        parsed.damage = QStringLiteral("a tag at the end of the file is broken");
        return parsed;
    }
    parsed.after = tail.items;
    parsed.framesStart = at;
    parsed.framesEnd = tail.start;
    // Audio frames begin with their sync code; anything else hides there.
    if (parsed.framesEnd > parsed.framesStart
        && (!fits(bytes, at, 2) || uchar(bytes[at]) != 0xff || (uchar(bytes[at + 1]) & 0xfe) != 0xf8))
        parsed.damage = QStringLiteral("no audio frame where the metadata ends, at byte %1").arg(at);
    return parsed;
}

} // namespace

ContainerWalk walkFlac(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    ContainerWalk walk;
    walk.damage = parsed.damage;
    walk.items = parsed.before;
    for (const Block &block : parsed.blocks) {
        walk.items.append({QStringLiteral("metadata block"), nameOf(block.type), block.offset, block.size,
                           kept(block.type) ? ItemRole::needed : ItemRole::identifying, KeptBecause::media, {}});
    }
    if (!parsed.damage && parsed.framesEnd > parsed.framesStart) {
        walk.items.append({QStringLiteral("audio"), "frames", parsed.framesStart, parsed.framesEnd - parsed.framesStart,
                           ItemRole::needed, KeptBecause::media, {}});
    }
    walk.items.append(parsed.after);
    return walk;
}

Expected<QByteArray> cleanFlac(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("flac");
    QList<Block> blocks = parsed.blocks;
    blocks.removeIf([](const Block &block) { return !kept(block.type); });
    QByteArray out("fLaC");
    out.reserve(parsed.framesEnd - parsed.framesStart + 1024);
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        const qsizetype start = out.size();
        out.append(bytes.sliced(blocks[i].offset, blocks[i].size));
        // Only the last block left carries the "last" flag.
        out[start] = char(blocks[i].type | (i + 1 == blocks.size() ? 0x80 : 0));
    }
    out.append(bytes.sliced(parsed.framesStart, parsed.framesEnd - parsed.framesStart));
    return out;
}
