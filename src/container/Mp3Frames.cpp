#include "Mp3Frames.h"

#include "AudioTags.h"
#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace {

struct Parsed
{
    qsizetype audioStart = 0, audioEnd = 0;
    qsizetype frames = 0;
    QList<ContainerItem> before, after;
    std::optional<QString> damage;
};

// The length of the frame whose header is at `at`, 0 when none starts there.
qsizetype frameLength(QByteArrayView bytes, qsizetype at)
{
    if (!fits(bytes, at, 4))
        return 0;
    const quint32 h = be32(bytes, at);
    if ((h & 0xffe00000) != 0xffe00000)
        return 0;
    const int version = (h >> 19) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = (h >> 17) & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = (h >> 12) & 15, rateIndex = (h >> 10) & 3;
    const int padding = (h >> 9) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static constexpr int bitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // 1, I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // 1, II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // 1, III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // 2 and 2.5, I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // 2 and 2.5, II and III
    };
    static constexpr int rates[3] = {44100, 48000, 32000};
    const bool one = version == 3;
    const int row = one ? 3 - layer : (layer == 3 ? 3 : 4);
    const qsizetype bitrate = qsizetype(bitrates[row][bitrateIndex]) * 1000;
    const qsizetype rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    if (layer == 3)
        return (12 * bitrate / rate + padding) * 4;
    return (layer == 1 && !one ? 72 : 144) * bitrate / rate + padding;
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
    const AudioTags::Tail tail = AudioTags::tail(bytes, at, bytes.size());
    if (tail.damaged) {
        parsed.damage = QStringLiteral("a tag at the end of the file is broken");
        return parsed;
    }
    parsed.after = tail.items;
    parsed.audioStart = at;
    parsed.audioEnd = tail.start;
    while (at < parsed.audioEnd) {
        const qsizetype length = frameLength(bytes.first(parsed.audioEnd), at);
        if (length < 4) {
            parsed.damage = parsed.frames == 0 ? QStringLiteral("no MPEG audio frame where the audio begins")
                                               : QStringLiteral("frame %1 at byte %2 is broken").arg(QString::number(parsed.frames + 1), QString::number(at));
            return parsed;
        }
        // A last frame cut short still plays as far as it goes.
        at += std::min(length, parsed.audioEnd - at);
        ++parsed.frames;
    }
    if (parsed.frames == 0)
        parsed.damage = QStringLiteral("no MPEG audio frames");
    return parsed;
}

} // namespace

ContainerWalk walkMp3(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    ContainerWalk walk;
    walk.damage = parsed.damage;
    walk.items = parsed.before;
    if (!parsed.damage) {
        walk.items.append({QStringLiteral("audio"), "frames", parsed.audioStart, parsed.audioEnd - parsed.audioStart,
                           ItemRole::needed, KeptBecause::media, QStringLiteral("%1 frames").arg(parsed.frames)});
    }
    walk.items.append(parsed.after);
    return walk;
}

Expected<QByteArray> cleanMp3(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("mp3");
    return bytes.sliced(parsed.audioStart, parsed.audioEnd - parsed.audioStart).toByteArray();
}
