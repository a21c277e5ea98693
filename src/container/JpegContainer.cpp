#include "JpegContainer.h"

#include "ContainerBytes.h"
#include "ExifOrientation.h"
#include "IccProfile.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace ContainerBytes;

namespace {

constexpr uchar SOI = 0xD8, EOI = 0xD9, SOS = 0xDA, APP0 = 0xE0, APP1 = 0xE1, APP2 = 0xE2, APP14 = 0xEE;
constexpr char iccLabel[] = "ICC_PROFILE"; // and its NUL: 12 bytes
constexpr qsizetype iccChunk = 65533 - 14;

struct Segment
{
    uchar marker;
    qsizetype offset, size; // from its first 0xFF; a scan with its coded data
    qsizetype payload;      // where the bytes after the length start
};

struct Parsed
{
    QList<Segment> segments;
    qsizetype end = 0; // just after EOI
    std::optional<QString> damage;
    QByteArray profile; // reassembled from its APP2 chunks
};

bool decodingNeeds(uchar m)
{
    const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC8; // SOFn, DHT (C4), DAC (CC)
    return frame || m == 0xDB || m == 0xDD || m == SOS || m == 0xDC || (m >= 0xD0 && m <= 0xD7);
}

QByteArrayView payloadOf(QByteArrayView bytes, const Segment &s)
{
    return bytes.sliced(s.payload, s.offset + s.size - s.payload);
}

bool isLabelled(QByteArrayView bytes, const Segment &s, uchar marker, QByteArrayView label)
{
    return s.marker == marker && payloadOf(bytes, s).startsWith(label);
}

bool isIcc(QByteArrayView bytes, const Segment &s)
{
    return isLabelled(bytes, s, APP2, QByteArrayView(iccLabel, 12));
}
bool isExif(QByteArrayView bytes, const Segment &s)
{
    return isLabelled(bytes, s, APP1, QByteArrayView("Exif\0\0", 6));
}
bool isJfif(QByteArrayView bytes, const Segment &s)
{
    return isLabelled(bytes, s, APP0, QByteArrayView("JFIF\0", 5)) && payloadOf(bytes, s).size() >= 14;
}

// The first 0xFF from `at` on that is not followed by a stuffed zero, or -1.
// A photo's coded data holds an 0xFF every hundred bytes or so, nearly all
// of them stuffed: sixteen bytes are looked at together, and only the rare
// 0xFF that may start a marker is looked at alone.
qsizetype nextUnstuffedFF(const char *data, qsizetype at, qsizetype size)
{
#if defined(__SSE2__)
    const __m128i ff = _mm_set1_epi8(char(0xFF));
    const __m128i zero = _mm_setzero_si128();
    for (; at + 17 <= size; at += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at + 1));
        const unsigned found = unsigned(_mm_movemask_epi8(_mm_andnot_si128(_mm_cmpeq_epi8(next, zero), _mm_cmpeq_epi8(here, ff))));
        if (found)
            return at + std::countr_zero(found);
    }
#endif
    for (; at < size; ++at) {
        const void *ff = std::memchr(data + at, 0xFF, size_t(size - at));
        if (!ff)
            return -1;
        at = static_cast<const char *>(ff) - data;
        if (at + 1 >= size || data[at + 1] != 0)
            return at;
    }
    return -1;
}

// Where the entropy-coded data that starts at `at` ends: the next marker
// that is neither a stuffed zero nor a restart.
qsizetype scanEnd(QByteArrayView bytes, qsizetype at)
{
    const char *data = bytes.data();
    while (at < bytes.size()) {
        at = nextUnstuffedFF(data, at, bytes.size());
        if (at < 0)
            return -1;
        if (at + 1 >= bytes.size())
            return -1;
        const uchar next = uchar(data[at + 1]);
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
            at += 2;
        else if (next == 0xFF)
            at += 1;
        else
            return at;
    }
    return -1;
}

void reassembleProfile(QByteArrayView bytes, Parsed &parsed)
{
    QList<QByteArrayView> chunks;
    for (const Segment &s : parsed.segments) {
        if (!isIcc(bytes, s))
            continue;
        const QByteArrayView payload = payloadOf(bytes, s);
        const int sequence = payload.size() >= 14 ? uchar(payload[12]) : 0, count = payload.size() >= 14 ? uchar(payload[13]) : 0;
        if (chunks.isEmpty())
            chunks.resize(count);
        if (count != chunks.size() || sequence < 1 || sequence > count || !chunks[sequence - 1].isNull()) {
            parsed.damage = QStringLiteral("colour profile pieces do not fit together");
            return;
        }
        chunks[sequence - 1] = payload.sliced(14);
    }
    for (QByteArrayView chunk : chunks) {
        if (chunk.isNull()) {
            parsed.damage = QStringLiteral("colour profile pieces missing");
            return;
        }
        parsed.profile.append(chunk.data(), chunk.size());
    }
}

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput || bytes.size() < 4 || uchar(bytes[0]) != 0xFF || uchar(bytes[1]) != SOI) {
        parsed.damage = QStringLiteral("not a JPEG picture");
        return parsed;
    }
    parsed.segments.append({SOI, 0, 2, 2});
    qsizetype at = 2;
    while (true) {
        if (parsed.segments.size() > maxPieces) {
            parsed.damage = QStringLiteral("too many segments");
            return parsed;
        }
        if (at + 1 >= bytes.size() || uchar(bytes[at]) != 0xFF) {
            parsed.damage = QStringLiteral("no segment at byte %1").arg(at);
            return parsed;
        }
        qsizetype m = at + 1;
        while (m < bytes.size() && uchar(bytes[m]) == 0xFF)
            ++m;
        if (m >= bytes.size())
            break;
        const uchar marker = uchar(bytes[m]);
        if (marker == EOI || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            parsed.segments.append({marker, at, m + 1 - at, m + 1});
            at = m + 1;
            if (marker == EOI) {
                parsed.end = at;
                break;
            }
            continue;
        }
        if (marker == 0x00 || marker == SOI || !fits(bytes, m + 1, 2) || be16(bytes, m + 1) < 2
            || !fits(bytes, m + 1, be16(bytes, m + 1))) {
            parsed.damage = QStringLiteral("segment at byte %1 is broken").arg(at);
            return parsed;
        }
        qsizetype next = m + 1 + be16(bytes, m + 1);
        if (marker == SOS) {
            next = scanEnd(bytes, next);
            if (next < 0) {
                parsed.damage = QStringLiteral("picture data cut short");
                return parsed;
            }
        }
        parsed.segments.append({marker, at, next - at, m + 3});
        at = next;
    }
    if (parsed.end == 0)
        parsed.damage = QStringLiteral("ends before the picture's end");
    else
        reassembleProfile(bytes, parsed);
    return parsed;
}

QByteArray markerName(uchar m)
{
    switch (m) {
    case SOI: return "SOI";
    case EOI: return "EOI";
    case SOS: return "SOS";
    case 0xC4: return "DHT";
    case 0xCC: return "DAC";
    case 0xDB: return "DQT";
    case 0xDD: return "DRI";
    case 0xDC: return "DNL";
    case 0xFE: return "COM";
    default: break;
    }
    if (m >= 0xE0 && m <= 0xEF)
        return "APP" + QByteArray::number(m - 0xE0);
    if (m >= 0xD0 && m <= 0xD7)
        return "RST" + QByteArray::number(m - 0xD0);
    if (m >= 0xC0 && m <= 0xCF)
        return "SOF" + QByteArray::number(m - 0xC0);
    return "FF" + QByteArray::number(m, 16).toUpper();
}

ContainerItem itemFor(QByteArrayView bytes, const Parsed &parsed, const Segment &s, bool profileNeeded)
{
    ContainerItem item {QStringLiteral("segment"), markerName(s.marker), s.offset, s.size, ItemRole::needed,
                        KeptBecause::pixels, {}};
    if (s.marker == SOI || s.marker == EOI) {
        item.keptBecause = KeptBecause::structure;
    } else if (decodingNeeds(s.marker) || isLabelled(bytes, s, APP14, "Adobe")) {
    } else if (isJfif(bytes, s) && payloadOf(bytes, s).size() == 14 && payloadOf(bytes, s)[12] == 0 && payloadOf(bytes, s)[13] == 0) {
        item.keptBecause = KeptBecause::structure;
    } else if (isExif(bytes, s) && ExifOrientation::isOrientationOnly(payloadOf(bytes, s).sliced(6))) {
        item.keptBecause = KeptBecause::orientation;
        item.detail = QStringLiteral("Orientation %1").arg(*ExifOrientation::read(payloadOf(bytes, s).sliced(6)));
    } else if (isIcc(bytes, s) && !parsed.damage) {
        item.keptBecause = KeptBecause::colourProfile;
        item.detail = iccDescription(parsed.profile).value_or(QString());
        if (!profileNeeded)
            item.role = ItemRole::identifying;
    } else {
        item.role = ItemRole::identifying;
    }
    return item;
}

} // namespace

ContainerWalk walkJpeg(QByteArrayView bytes)
{
    ContainerWalk walk;
    const Parsed parsed = parse(bytes);
    walk.damage = parsed.damage;
    const ContainerWalk profile = walkIcc(parsed.profile);
    const bool profileNeeded = !parsed.profile.isEmpty() && !profile.hasIdentifying();
    if (!parsed.profile.isEmpty() && profile.damage)
        walk.damage = QStringLiteral("colour profile: %1").arg(*profile.damage);
    for (const Segment &s : parsed.segments)
        walk.items.append(itemFor(bytes, parsed, s, profileNeeded));
    if (parsed.end > 0 && parsed.end < bytes.size()) {
        walk.items.append({QStringLiteral("after the picture's end"), "trailing", parsed.end, bytes.size() - parsed.end,
                           ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArrayList> cleanJpegPieces(QByteArrayView bytes, JpegOrientation keepOrientation)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("jpg");
    QByteArray profile;
    if (!parsed.profile.isEmpty()) {
        auto scrubbed = cleanIcc(parsed.profile);
        if (!scrubbed)
            return refused("jpg");
        profile = std::move(scrubbed).value();
    }

    QByteArray out;
    out.append("\xFF\xD8", 2);
    std::optional<int> orientation;
    for (const Segment &s : parsed.segments) {
        if (isJfif(bytes, s) && out.size() == 2) {
            // Version, density units and densities; no thumbnail.
            out.append("\xFF\xE0\0\x10", 4).append(payloadOf(bytes, s).first(12).data(), 12).append("\0\0", 2);
        } else if (isExif(bytes, s) && !orientation) {
            orientation = ExifOrientation::read(payloadOf(bytes, s).sliced(6)).value_or(1);
        }
    }
    if (keepOrientation == JpegOrientation::keep && orientation.value_or(1) != 1) {
        const QByteArray exif = QByteArray("Exif\0\0", 6) + ExifOrientation::build(*orientation);
        out.append("\xFF\xE1", 2);
        appendBe16(out, quint16(exif.size() + 2));
        out.append(exif);
    }
    const qsizetype chunks = (profile.size() + iccChunk - 1) / iccChunk;
    if (chunks > 255)
        return refused("jpg");
    for (qsizetype i = 0; i < chunks; ++i) {
        const QByteArrayView chunk = QByteArrayView(profile).sliced(i * iccChunk, std::min(iccChunk, profile.size() - i * iccChunk));
        out.append("\xFF\xE2", 2);
        appendBe16(out, quint16(chunk.size() + 16));
        out.append(iccLabel, 12).append(char(i + 1)).append(char(chunks));
        out.append(chunk.data(), chunk.size());
    }
    // What decoding needs is taken as it stands, each run of neighbouring
    // segments as one piece of the original.
    QByteArrayList pieces {out};
    qsizetype runStart = 0, runEnd = 0;
    const auto endRun = [&] {
        if (runEnd > runStart)
            pieces.append(QByteArray::fromRawData(bytes.data() + runStart, runEnd - runStart));
    };
    for (const Segment &s : parsed.segments) {
        if (!(decodingNeeds(s.marker) || isLabelled(bytes, s, APP14, "Adobe")) || s.marker == SOI)
            continue;
        if (s.offset != runEnd) {
            endRun();
            runStart = s.offset;
        }
        runEnd = s.offset + s.size;
    }
    endRun();
    pieces.append(QByteArray::fromRawData("\xFF\xD9", 2));
    return pieces;
}

Expected<QByteArray> cleanJpeg(QByteArrayView bytes, JpegOrientation keepOrientation)
{
    auto pieces = cleanJpegPieces(bytes, keepOrientation);
    if (!pieces)
        return pieces.error();
    return pieces.value().join();
}
