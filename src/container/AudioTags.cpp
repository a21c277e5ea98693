#include "AudioTags.h"

#include "ContainerBytes.h"

using namespace ContainerBytes;

namespace AudioTags {

namespace {

constexpr qsizetype id3v1Size = 128;
constexpr qsizetype apeFooterSize = 32;
constexpr qsizetype lyricsEndSize = 15; // six digits of length and "LYRICS200"

ContainerItem tagItem(const char *type, qsizetype offset, qsizetype size)
{
    return {QStringLiteral("after the audio"), type, offset, size, ItemRole::identifying, KeptBecause::structure, {}};
}

// Lyrics3 v2 states its length as six decimal digits.
qsizetype decimal(QByteArrayView digits)
{
    qsizetype value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

qsizetype id3v2Length(QByteArrayView bytes, qsizetype at)
{
    if (!fits(bytes, at, 10) || bytes.sliced(at, 3) != "ID3")
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data() + at);
    // A synchsafe size: 7 bits a byte; a set high bit is no ID3v2 tag.
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80)
        return -1;
    const qsizetype size = (qsizetype(p[6]) << 21) | (p[7] << 14) | (p[8] << 7) | p[9];
    const qsizetype length = 10 + size + ((p[5] & 0x10) ? 10 : 0);
    return fits(bytes, at, length) ? length : -1;
}

std::optional<QString> leadingId3v2(QByteArrayView bytes, qsizetype &at, QList<ContainerItem> &items)
{
    int count = 0;
    while (qsizetype length = id3v2Length(bytes, at)) {
        if (length < 0 || count++ >= 16)
            return QStringLiteral("the ID3v2 tag at byte %1 runs past the file").arg(at);
        items.append({QStringLiteral("before the audio"), "ID3v2", at, length, ItemRole::identifying,
                      KeptBecause::structure, {}});
        at += length;
    }
    return std::nullopt;
}

Tail tail(QByteArrayView bytes, qsizetype from, qsizetype end)
{
    Tail found;
    found.start = end;
    for (bool more = true; more && found.items.size() < 8;) {
        more = false;
        const qsizetype room = found.start - from;
        if (room >= id3v1Size && bytes.sliced(found.start - id3v1Size, 3) == "TAG") {
            found.start -= id3v1Size;
            found.items.prepend(tagItem("ID3v1", found.start, id3v1Size));
            more = true;
        } else if (room >= apeFooterSize && bytes.sliced(found.start - apeFooterSize, 8) == "APETAGEX") {
            const qsizetype footer = found.start - apeFooterSize;
            // The size counts the items and the footer; a header may precede them.
            const qsizetype size = le32(bytes, footer + 12);
            const bool header = uchar(bytes[footer + 23]) & 0x80;
            const qsizetype length = size + (header ? apeFooterSize : 0);
            if (size < apeFooterSize || length > room) {
                found.damaged = true;
                return found;
            }
            found.start -= length;
            found.items.prepend(tagItem("APE", found.start, length));
            more = true;
        } else if (room >= lyricsEndSize && bytes.sliced(found.start - 9, 9) == "LYRICS200") {
            const qsizetype size = decimal(bytes.sliced(found.start - lyricsEndSize, 6));
            const qsizetype length = size + lyricsEndSize;
            if (size < 11 || length > room || bytes.sliced(found.start - length, 11) != "LYRICSBEGIN") {
                found.damaged = true;
                return found;
            }
            found.start -= length;
            found.items.prepend(tagItem("Lyrics3", found.start, length));
            more = true;
        }
    }
    return found;
}

} // namespace AudioTags
