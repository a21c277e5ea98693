#include "OggPages.h"

#include "ContainerBytes.h"

#include <array>

using namespace ContainerBytes;

namespace {

constexpr uchar continued = 0x01, firstPage = 0x02;
constexpr qsizetype pageHeader = 27;

struct Page
{
    qsizetype offset, size;
    qsizetype body; // where the segments begin
    uchar flags;
    quint32 sequence;
};

struct Parsed
{
    QList<Page> pages;
    QList<QByteArray> headers; // the codec's header packets
    int headerPages = 0;       // the pages that hold them
    bool opus = false;
    quint32 serial = 0;
    qsizetype end = 0;         // just after the last page
    std::optional<QString> damage;
};

quint32 oggCrc(QByteArrayView bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t {};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    quint32 crc = 0;
    for (const char c : bytes)
        crc = (crc << 8) ^ table[((crc >> 24) ^ uchar(c)) & 0xff];
    return crc;
}

void setCrc(QByteArray &page)
{
    qToLittleEndian(quint32(0), page.data() + 22);
    qToLittleEndian(oggCrc(page), page.data() + 22);
}

QByteArray emptyComments(bool opus)
{
    // No vendor, no comments; Vorbis ends its header with a framing bit.
    return opus ? QByteArray("OpusTags\0\0\0\0\0\0\0\0", 16) : QByteArray("\x03vorbis\0\0\0\0\0\0\0\0\x01", 16);
}

std::optional<QString> readPages(QByteArrayView bytes, Parsed &parsed)
{
    qsizetype at = 0;
    while (fits(bytes, at, 4) && bytes.sliced(at, 4) == "OggS") {
        if (!fits(bytes, at, pageHeader) || !fits(bytes, at + pageHeader, uchar(bytes[at + 26]))
            || parsed.pages.size() >= maxPieces * 10)
            return QStringLiteral("page at byte %1 runs past the file").arg(at);
        const qsizetype segments = uchar(bytes[at + 26]);
        qsizetype size = pageHeader + segments;
        for (qsizetype i = 0; i < segments; ++i)
            size += uchar(bytes[at + pageHeader + i]);
        if (!fits(bytes, at, size))
            return QStringLiteral("page at byte %1 runs past the file").arg(at);
        QByteArray copy = bytes.sliced(at, size).toByteArray();
        setCrc(copy);
        const uchar flags = uchar(bytes[at + 5]);
        const quint32 serial = le32(bytes, at + 14);
        if (bytes[at + 4] != 0 || copy.sliced(22, 4) != bytes.sliced(at + 22, 4))
            return QStringLiteral("page %1 at byte %2 is broken").arg(QString::number(parsed.pages.size() + 1), QString::number(at));
        if (parsed.pages.isEmpty())
            parsed.serial = serial;
        // Only one stream, begun once.
        if (serial != parsed.serial || bool(flags & firstPage) != parsed.pages.isEmpty())
            return QStringLiteral("more than one stream");
        parsed.pages.append({at, size, at + pageHeader + segments, flags, le32(bytes, at + 18)});
        at += size;
    }
    parsed.end = at;
    if (parsed.pages.isEmpty())
        return QStringLiteral("not an Ogg file");
    return std::nullopt;
}

// The codec's header packets, which must end their pages; audio begins on a page of its own.
std::optional<QString> readHeaders(QByteArrayView bytes, Parsed &parsed)
{
    QByteArray packet;
    int wanted = 1;
    for (const Page &page : std::as_const(parsed.pages)) {
        if (parsed.headers.size() == wanted)
            break;
        if (bool(page.flags & continued) != !packet.isEmpty())
            return QStringLiteral("header page %1 is broken").arg(parsed.headerPages + 1);
        const qsizetype segments = uchar(bytes[page.offset + 26]);
        qsizetype at = page.body;
        for (qsizetype i = 0; i < segments; ++i) {
            if (parsed.headers.size() == wanted)
                return QStringLiteral("audio shares a page with the headers");
            const qsizetype lacing = uchar(bytes[page.offset + pageHeader + i]);
            packet.append(bytes.sliced(at, lacing));
            at += lacing;
            if (lacing == 255)
                continue;
            if (parsed.headers.isEmpty()) {
                parsed.opus = packet.startsWith("OpusHead");
                if (!parsed.opus && !packet.startsWith("\x01vorbis"))
                    return QStringLiteral("neither Vorbis nor Opus");
                wanted = parsed.opus ? 2 : 3;
            }
            parsed.headers.append(packet);
            packet.clear();
        }
        ++parsed.headerPages;
        // The first page holds the first header alone.
        if (parsed.headerPages == 1 && (parsed.headers.size() != 1 || !packet.isEmpty()))
            return QStringLiteral("the first page is broken");
    }
    if (parsed.headers.size() != wanted)
        return QStringLiteral("the headers end before they are complete");
    const char *const comments = parsed.opus ? "OpusTags" : "\x03vorbis";
    if (!parsed.headers[1].startsWith(comments) || (!parsed.opus && !parsed.headers[2].startsWith("\x05vorbis")))
        return QStringLiteral("the headers are not in order");
    return std::nullopt;
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput)
        parsed.damage = QStringLiteral("too large");
    if (!parsed.damage)
        parsed.damage = readPages(bytes, parsed);
    if (!parsed.damage)
        parsed.damage = readHeaders(bytes, parsed);
    return parsed;
}

QByteArray pageOf(const Parsed &parsed, uchar flags, quint64 granule, quint32 sequence, QByteArrayView lacing,
                  QByteArrayView body)
{
    QByteArray page("OggS\0", 5);
    page.append(char(flags));
    char field[8];
    qToLittleEndian(granule, field);
    page.append(field, 8);
    appendLe32(page, parsed.serial);
    appendLe32(page, sequence);
    appendLe32(page, 0);
    page.append(char(lacing.size()));
    page.append(lacing.data(), lacing.size());
    page.append(body.data(), body.size());
    setCrc(page);
    return page;
}

// Packets after the first, laid out on as few pages as the lacing allows.
QByteArray headerPages(const Parsed &parsed, const QList<QByteArray> &packets, quint32 &sequence)
{
    QByteArray lacing, body, out;
    QList<qsizetype> ends; // lacing index after which a packet ends
    for (const QByteArray &packet : packets) {
        lacing.append(QByteArray(packet.size() / 255, char(255)));
        lacing.append(char(packet.size() % 255));
        ends.append(lacing.size());
        body.append(packet);
    }
    qsizetype segment = 0, at = 0;
    bool continuing = false;
    while (segment < lacing.size()) {
        const qsizetype count = std::min<qsizetype>(255, lacing.size() - segment);
        qsizetype length = 0;
        for (qsizetype i = segment; i < segment + count; ++i)
            length += uchar(lacing[i]);
        const bool packetEnds = std::any_of(ends.begin(), ends.end(),
                                            [&](qsizetype end) { return end > segment && end <= segment + count; });
        // A page on which no packet ends has no granule position.
        out.append(pageOf(parsed, continuing ? continued : 0, packetEnds ? 0 : ~quint64(0), sequence++,
                          QByteArrayView(lacing).sliced(segment, count), QByteArrayView(body).sliced(at, length)));
        continuing = uchar(lacing[segment + count - 1]) == 255;
        segment += count;
        at += length;
    }
    return out;
}

} // namespace

ContainerWalk walkOgg(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    ContainerWalk walk;
    walk.damage = parsed.damage;
    if (parsed.damage)
        return walk;
    const Page &last = parsed.pages[parsed.headerPages - 1];
    const qsizetype headersEnd = last.offset + last.size;
    const bool tagged = parsed.headers[1] != emptyComments(parsed.opus);
    walk.items.append({QStringLiteral("first page"), parsed.opus ? "OpusHead" : "vorbis identification", 0,
                       parsed.pages[0].size, ItemRole::needed, KeptBecause::media, {}});
    walk.items.append({QStringLiteral("header pages"), parsed.opus ? "OpusTags" : "vorbis comment", parsed.pages[0].size,
                       headersEnd - parsed.pages[0].size, tagged ? ItemRole::identifying : ItemRole::needed,
                       KeptBecause::structure, {}});
    walk.items.append({QStringLiteral("audio"), "pages", headersEnd, parsed.end - headersEnd, ItemRole::needed,
                       KeptBecause::media, QStringLiteral("%1 pages").arg(parsed.pages.size() - parsed.headerPages)});
    if (parsed.end < bytes.size()) {
        walk.items.append({QStringLiteral("after the audio"), "trailing", parsed.end, bytes.size() - parsed.end,
                           ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArray> cleanOgg(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused(parsed.opus ? "opus" : "ogg");
    QByteArray out;
    out.reserve(parsed.end);
    out.append(bytes.sliced(0, parsed.pages[0].size));
    QList<QByteArray> packets {emptyComments(parsed.opus)};
    if (!parsed.opus)
        packets.append(parsed.headers[2]);
    quint32 sequence = parsed.pages[0].sequence + 1;
    out.append(headerPages(parsed, packets, sequence));
    if (parsed.headerPages == parsed.pages.size())
        return out;
    const quint32 shift = sequence - parsed.pages[parsed.headerPages].sequence;
    for (qsizetype i = parsed.headerPages; i < parsed.pages.size(); ++i) {
        const Page &page = parsed.pages[i];
        QByteArray copy = bytes.sliced(page.offset, page.size).toByteArray();
        if (shift != 0) {
            qToLittleEndian(quint32(page.sequence + shift), copy.data() + 18);
            setCrc(copy);
        }
        out.append(copy);
    }
    return out;
}
