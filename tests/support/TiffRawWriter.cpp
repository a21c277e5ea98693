#include "TiffRawWriter.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace TiffRawWriter {

namespace {

enum Type : quint16 { byteType = 1, ascii = 2, shortType = 3, longType = 4, rational = 5, undefined = 7, srational = 10 };

struct Entry
{
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray value; // little-endian, as stored
};

struct Ifd
{
    std::vector<Entry> entries;
    std::vector<std::pair<quint16, Ifd>> children; // pointer tag -> directory
    QByteArray strip;                               // image data, if the directory has an image
};

template <typename T>
void append(QByteArray &out, T value)
{
    char buffer[sizeof(T)];
    qToLittleEndian(value, buffer);
    out.append(buffer, sizeof(T));
}

Entry text(quint16 tag, const QByteArray &value)
{
    QByteArray stored = value;
    stored.append('\0');
    return {tag, ascii, quint32(stored.size()), stored};
}

Entry shorts(quint16 tag, std::initializer_list<quint16> values)
{
    QByteArray stored;
    for (quint16 v : values)
        append(stored, v);
    return {tag, shortType, quint32(values.size()), stored};
}

Entry longs(quint16 tag, std::initializer_list<quint32> values)
{
    QByteArray stored;
    for (quint32 v : values)
        append(stored, v);
    return {tag, longType, quint32(values.size()), stored};
}

Entry bytes(quint16 tag, quint16 type, const QByteArray &values)
{
    return {tag, type, quint32(values.size()), values};
}

Entry rationals(quint16 tag, quint16 type, std::initializer_list<std::pair<qint32, qint32>> values)
{
    QByteArray stored;
    for (auto [numerator, denominator] : values) {
        append(stored, numerator);
        append(stored, denominator);
    }
    return {tag, type, quint32(values.size()), stored};
}

void addText(std::vector<Entry> &entries, quint16 tag, const QByteArray &value)
{
    if (!value.isEmpty())
        entries.push_back(text(tag, value));
}

void patch(QByteArray &out, qsizetype at, quint32 value)
{
    qToLittleEndian(value, out.data() + at);
}

quint32 writeIfd(QByteArray &out, const Ifd &ifd)
{
    std::vector<Entry> entries = ifd.entries;
    for (const auto &child : ifd.children)
        entries.push_back(longs(child.first, {0}));
    if (!ifd.strip.isEmpty()) {
        entries.push_back(longs(273, {0}));
        entries.push_back(longs(279, {quint32(ifd.strip.size())}));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });

    if (out.size() % 2)
        out.append('\0');
    const quint32 offset = quint32(out.size());
    out.append(QByteArray(2 + 12 * qsizetype(entries.size()) + 4, '\0'));
    qToLittleEndian(quint16(entries.size()), out.data() + offset);
    std::vector<std::pair<quint16, qsizetype>> valueFields;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        const qsizetype at = offset + 2 + 12 * qsizetype(i);
        qToLittleEndian(entry.tag, out.data() + at);
        qToLittleEndian(entry.type, out.data() + at + 2);
        qToLittleEndian(entry.count, out.data() + at + 4);
        if (entry.value.size() <= 4) {
            std::copy(entry.value.begin(), entry.value.end(), out.begin() + at + 8);
        } else {
            if (out.size() % 2)
                out.append('\0');
            patch(out, at + 8, quint32(out.size()));
            out.append(entry.value);
        }
        valueFields.emplace_back(entry.tag, at + 8);
    }
    const auto fieldOf = [&](quint16 tag) {
        return std::find_if(valueFields.begin(), valueFields.end(), [tag](const auto &f) { return f.first == tag; })->second;
    };
    for (const auto &[tag, child] : ifd.children)
        patch(out, fieldOf(tag), writeIfd(out, child));
    if (!ifd.strip.isEmpty()) {
        if (out.size() % 2)
            out.append('\0');
        patch(out, fieldOf(273), quint32(out.size()));
        out.append(ifd.strip);
    }
    return offset;
}

// A Bayer mosaic (RGGB) with structure in every channel: gradients plus a
// pattern, so a shifted, flipped or recoloured decode differs.
QByteArray bayerImage(int width, int height)
{
    QByteArray data;
    data.reserve(qsizetype(width) * height * 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int channel = (y % 2) * 2 + (x % 2);
            const int value = 300 + x * 40 + y * 25 + channel * 350 + ((x * 7 + y * 13) % 17) * 20;
            append(data, quint16(std::min(value, 4000)));
        }
    }
    return data;
}

QByteArray rgbThumbnail(int width, int height)
{
    QByteArray data;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            data.append(char(x * 16)).append(char(y * 16)).append(char(128));
    return data;
}

std::vector<Entry> cfaImageEntries(int width, int height)
{
    return {
        longs(254, {0}),
        longs(256, {quint32(width)}),
        longs(257, {quint32(height)}),
        shorts(258, {16}),
        shorts(259, {1}),
        shorts(262, {32803}),
        shorts(277, {1}),
        longs(278, {quint32(height)}),
        shorts(284, {1}),
        shorts(33421, {2, 2}),
        bytes(33422, byteType, QByteArray("\0\1\1\2", 4)),
    };
}

Ifd exifIfd(const Identity &identity)
{
    Ifd exif;
    exif.entries.push_back(bytes(36864, undefined, "0230"));
    addText(exif.entries, 36867, identity.dateTime);
    addText(exif.entries, 36868, identity.dateTime);
    addText(exif.entries, 42032, identity.ownerName);
    if (!identity.bodySerial.isEmpty())
        addText(exif.entries, 42033, identity.bodySerial);
    return exif;
}

} // namespace

QByteArray build(Layout layout, const Identity &identity, int width, int height, int orientation)
{
    Ifd ifd0;
    auto &entries = ifd0.entries;
    addText(entries, 270, identity.imageDescription);
    addText(entries, 271, identity.make);
    addText(entries, 272, identity.model);
    entries.push_back(shorts(274, {quint16(orientation)}));
    addText(entries, 305, identity.software);
    addText(entries, 306, identity.dateTime);
    addText(entries, 315, identity.artist);
    addText(entries, 33432, identity.copyright);

    if (layout == Layout::dng) {
        for (const Entry &e : cfaImageEntries(width, height))
            entries.push_back(e);
        ifd0.strip = bayerImage(width, height);
        entries.push_back(bytes(50706, byteType, QByteArray("\1\4\0\0", 4)));
        entries.push_back(bytes(50707, byteType, QByteArray("\1\1\0\0", 4)));
        entries.push_back(text(50708, identity.make + ' ' + identity.model));
        entries.push_back(longs(50717, {4095}));
        entries.push_back(rationals(50721, srational,
                                    {{8000, 10000}, {-2000, 10000}, {-1000, 10000},
                                     {-4000, 10000}, {12000, 10000}, {2000, 10000},
                                     {-500, 10000}, {1500, 10000}, {6000, 10000}}));
        entries.push_back(rationals(50728, rational, {{5, 10}, {10, 10}, {7, 10}}));
        entries.push_back(shorts(50778, {21}));
        addText(entries, 50735, identity.bodySerial);
        Identity exifOnly = identity;
        exifOnly.bodySerial.clear(); // a DNG keeps it in IFD0
        ifd0.children.emplace_back(34665, exifIfd(exifOnly));
    } else {
        const int thumbWidth = 16, thumbHeight = 12;
        entries.push_back(longs(254, {1}));
        entries.push_back(longs(256, {thumbWidth}));
        entries.push_back(longs(257, {thumbHeight}));
        entries.push_back(shorts(258, {8, 8, 8}));
        entries.push_back(shorts(259, {1}));
        entries.push_back(shorts(262, {2}));
        entries.push_back(shorts(277, {3}));
        entries.push_back(longs(278, {thumbHeight}));
        entries.push_back(shorts(284, {1}));
        ifd0.strip = rgbThumbnail(thumbWidth, thumbHeight);

        Ifd raw;
        raw.entries = cfaImageEntries(width, height);
        raw.strip = bayerImage(width, height);
        ifd0.children.emplace_back(330, raw);
        ifd0.children.emplace_back(34665, exifIfd(identity));
    }

    QByteArray out("II*\0", 4);
    append(out, quint32(0));
    patch(out, 4, writeIfd(out, ifd0));
    return out;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace TiffRawWriter
