#include "RawFixtures.h"

#include "Fixtures.h"

#include <QtEndian>

#include <algorithm>
#include <vector>

namespace RawFixtures {

namespace {

using namespace Fixtures;

constexpr int width = 64, height = 48;
enum Type : quint16 { byteType = 1, ascii = 2, shortType = 3, longType = 4, rational = 5, undefined = 7, srational = 10 };

// Values little-endian, as stored; children by the tag that points to them.
struct Entry { quint16 tag, type; quint32 count; QByteArray value; };
struct Ifd { std::vector<Entry> entries; std::vector<std::pair<quint16, Ifd>> children; QByteArray strip; };

template <typename T>
void append(QByteArray &out, T value, bool bigEndian = false)
{
    char buffer[sizeof(T)];
    bigEndian ? qToBigEndian(value, buffer) : qToLittleEndian(value, buffer);
    out.append(buffer, sizeof(T));
}

template <typename T>
Entry numbers(quint16 tag, quint16 type, std::initializer_list<T> values)
{
    QByteArray stored;
    for (T v : values)
        append(stored, v);
    const int unit = type == shortType ? 2 : type == longType ? 4 : 8;
    return {tag, type, quint32(stored.size() / unit), stored};
}

Entry shorts(quint16 tag, std::initializer_list<quint16> values) { return numbers(tag, shortType, values); }
Entry longs(quint16 tag, std::initializer_list<quint32> values) { return numbers(tag, longType, values); }
Entry bytes(quint16 tag, quint16 type, const QByteArray &values) { return {tag, type, quint32(values.size()), values}; }
Entry text(quint16 tag, const QByteArray &value) { return bytes(tag, ascii, value + '\0'); }

quint32 writeIfd(QByteArray &out, const Ifd &ifd)
{
    const auto align = [&out] { if (out.size() % 2) out.append('\0'); };
    std::vector<Entry> entries = ifd.entries;
    for (const auto &child : ifd.children)
        entries.push_back(longs(child.first, {0}));
    if (!ifd.strip.isEmpty()) {
        entries.push_back(longs(273, {0}));
        entries.push_back(longs(279, {quint32(ifd.strip.size())}));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });

    align();
    const quint32 offset = quint32(out.size());
    out.append(QByteArray(2 + 12 * qsizetype(entries.size()) + 4, '\0'));
    qToLittleEndian(quint16(entries.size()), out.data() + offset);
    const auto fieldOf = [&](quint16 tag) {
        const auto it = std::find_if(entries.begin(), entries.end(), [tag](const Entry &e) { return e.tag == tag; });
        return offset + 2 + 12 * qsizetype(it - entries.begin()) + 8;
    };
    for (const Entry &entry : entries) {
        const qsizetype at = fieldOf(entry.tag) - 8;
        qToLittleEndian(entry.tag, out.data() + at);
        qToLittleEndian(entry.type, out.data() + at + 2);
        qToLittleEndian(entry.count, out.data() + at + 4);
        if (entry.value.size() <= 4) {
            std::copy(entry.value.begin(), entry.value.end(), out.begin() + at + 8);
        } else {
            align();
            qToLittleEndian(quint32(out.size()), out.data() + at + 8);
            out.append(entry.value);
        }
    }
    for (const auto &[tag, child] : ifd.children) {
        const quint32 childOffset = writeIfd(out, child); // may move `out`
        qToLittleEndian(childOffset, out.data() + fieldOf(tag));
    }
    if (!ifd.strip.isEmpty()) {
        align();
        qToLittleEndian(quint32(out.size()), out.data() + fieldOf(273));
        out.append(ifd.strip);
    }
    return offset;
}

QByteArray tiff(const Ifd &ifd)
{
    QByteArray out("II*\0\0\0\0\0", 8);
    const quint32 offset = writeIfd(out, ifd);
    qToLittleEndian(offset, out.data() + 4);
    return out;
}

// The raw, a Bayer mosaic (RGGB) with gradients and a pattern in every channel
// so that a shifted, flipped or recoloured decode differs; or an RGB thumbnail.
Ifd image(bool thumbnail)
{
    const quint32 w = thumbnail ? 16 : width, h = thumbnail ? 12 : height;
    Ifd ifd {{longs(254, {thumbnail ? 1u : 0u}), longs(256, {w}), longs(257, {h}),
              thumbnail ? shorts(258, {8, 8, 8}) : shorts(258, {16}), shorts(259, {1}),
              shorts(262, {quint16(thumbnail ? 2 : 32803)}), shorts(277, {quint16(thumbnail ? 3 : 1)}),
              longs(278, {h}), shorts(284, {1})}, {}, {}};
    if (!thumbnail) {
        ifd.entries.push_back(shorts(33421, {2, 2}));
        ifd.entries.push_back(bytes(33422, byteType, QByteArray("\0\1\1\2", 4)));
    }
    for (quint32 y = 0; y < h; ++y) {
        for (quint32 x = 0; x < w; ++x) {
            const int value = 300 + x * 40 + y * 25 + ((y % 2) * 2 + (x % 2)) * 350 + ((x * 7 + y * 13) % 17) * 20;
            if (thumbnail)
                ifd.strip.append(char(x * 16)).append(char(y * 16)).append(char(128));
            else
                append(ifd.strip, quint16(std::min(value, 4000)));
        }
    }
    return ifd;
}

std::vector<Entry> identityEntries(const QByteArray &make, const QByteArray &model)
{
    return {text(270, comment), text(271, make), text(272, model), shorts(274, {6}), text(306, exifDate),
            text(315, author), text(33432, title)};
}

std::vector<Entry> exifEntries(bool withSerial)
{
    std::vector<Entry> exif {bytes(36864, undefined, "0230"), text(36867, exifDate), text(36868, exifDate), text(42032, owner)};
    if (withSerial)
        exif.push_back(text(42033, serial));
    return exif;
}

QByteArray words(std::initializer_list<quint32> values, bool bigEndian = true)
{
    QByteArray out;
    for (quint32 v : values)
        append(out, v, bigEndian);
    return out;
}

QByteArray fullBox(const char *type, quint32 flags, const QByteArray &payload)
{
    return box(type, words({flags}) + payload);
}

} // namespace

QByteArray tiffRaw(bool dng, const QByteArray &make, const QByteArray &model)
{
    Ifd ifd0 = image(!dng);
    for (const Entry &e : identityEntries(make, model))
        ifd0.entries.push_back(e);
    if (dng) {
        for (const Entry &e : {bytes(50706, byteType, QByteArray("\1\4\0\0", 4)), bytes(50707, byteType, QByteArray("\1\1\0\0", 4)),
                               text(50708, make + ' ' + model), longs(50717, {4095}),
                               numbers<qint32>(50721, srational, {8000, 10000, -2000, 10000, -1000, 10000, -4000, 10000, 12000,
                                                                  10000, 2000, 10000, -500, 10000, 1500, 10000, 6000, 10000}),
                               numbers<qint32>(50728, rational, {5, 10, 10, 10, 7, 10}), shorts(50778, {21}),
                               text(50735, serial)})
            ifd0.entries.push_back(e);
    } else {
        ifd0.children.emplace_back(330, image(false));
    }
    ifd0.children.emplace_back(34665, Ifd {exifEntries(!dng), {}, {}});
    return tiff(ifd0);
}

QByteArray cr3(quint32 createdAt, const QByteArray &image)
{
    // Canon's OwnerName is a fixed 32-byte field.
    const Ifd makerNotes {{bytes(0x0009, ascii, QByteArray(owner).leftJustified(32, '\0', true)),
                           longs(0x000c, {canonSerial}), text(0x0096, serial)}, {}, {}};
    const Ifd gps {{bytes(0x0000, byteType, QByteArray("\2\3\0\0", 4)), text(0x0001, "N"),
                    numbers<qint32>(0x0002, rational, {48, 1, 51, 1, 2970, 100})}, {}, {}};
    const QByteArray canon = box("uuid", QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48")
                                                + box("CNCV", "CanonCR3_001/01.09.00/01.00.00")
                                                + box("CMT1", tiff({identityEntries("Canon", "Canon EOS R"), {}, {}}))
                                                + box("CMT2", tiff({exifEntries(true), {}, {}}))
                                                + box("CMT3", tiff(makerNotes)) + box("CMT4", tiff(gps)));
    const QByteArray mvhd = words({createdAt, createdAt, 1000, 1000, 0x10000, 0x01000000}) + QByteArray(8, '\0')
                            + words({0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000}) + QByteArray(24, '\0') + words({2});
    return box("ftyp", "crx " + words({1}) + "crx isom") + box("moov", canon + fullBox("mvhd", 0, mvhd))
           + box("mdat", image);
}

} // namespace RawFixtures
