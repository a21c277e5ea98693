#include "TiffRawWriter.h"

#include <QDateTime>
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

namespace {

template <typename T>
void appendBig(QByteArray &out, T value)
{
    char buffer[sizeof(T)];
    qToBigEndian(value, buffer);
    out.append(buffer, sizeof(T));
}

QByteArray isoBox(const char *type, const QByteArray &payload)
{
    QByteArray out;
    appendBig(out, quint32(8 + payload.size()));
    out.append(type, 4);
    return out + payload;
}

QByteArray isoFullBox(const char *type, quint8 version, quint32 flags, const QByteArray &payload)
{
    QByteArray body;
    appendBig(body, quint32(version) << 24 | flags);
    return isoBox(type, body + payload);
}

QByteArray tiffBlock(std::vector<Entry> entries)
{
    Ifd ifd;
    ifd.entries = std::move(entries);
    QByteArray out("II*\0", 4);
    append(out, quint32(0));
    patch(out, 4, writeIfd(out, ifd));
    return out;
}

QByteArray identityMatrix()
{
    QByteArray matrix;
    for (quint32 value : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        appendBig(matrix, value);
    return matrix;
}

QByteArray cr3Movie(quint32 createdAt, int width, int height, quint32 sampleSize, quint64 sampleOffset)
{
    QByteArray mvhd;
    for (quint32 value : {createdAt, createdAt, 1000u, 1000u, 0x10000u})
        appendBig(mvhd, value);
    appendBig(mvhd, quint16(0x100));
    mvhd += QByteArray(10, '\0') + identityMatrix() + QByteArray(24, '\0');
    appendBig(mvhd, quint32(2));

    QByteArray tkhd;
    for (quint32 value : {0u, 0u, 1u, 0u, 1000u})
        appendBig(tkhd, value);
    tkhd += QByteArray(16, '\0') + identityMatrix();
    appendBig(tkhd, quint32(width) << 16);
    appendBig(tkhd, quint32(height) << 16);

    QByteArray mdhd;
    for (quint32 value : {0u, 0u, 1u, 1u})
        appendBig(mdhd, value);
    appendBig(mdhd, quint16(0x55c4));
    appendBig(mdhd, quint16(0));

    QByteArray craw = QByteArray(6, '\0');
    appendBig(craw, quint16(1));
    craw += QByteArray(16, '\0');
    appendBig(craw, quint16(width));
    appendBig(craw, quint16(height));
    craw += QByteArray(50, '\0');

    QByteArray one;
    appendBig(one, quint32(1));
    QByteArray stsz(4, '\0');
    appendBig(stsz, quint32(1));
    appendBig(stsz, sampleSize);
    QByteArray co64 = one;
    appendBig(co64, sampleOffset);
    QByteArray stts = one, stsc = one;
    appendBig(stts, quint32(1));
    appendBig(stts, quint32(1));
    for (int i = 0; i < 3; ++i)
        appendBig(stsc, quint32(1));

    const QByteArray stbl = isoBox("stbl", isoFullBox("stsd", 0, 0, one + isoBox("CRAW", craw))
                                               + isoFullBox("stts", 0, 0, stts) + isoFullBox("stsc", 0, 0, stsc)
                                               + isoFullBox("stsz", 0, 0, stsz) + isoFullBox("co64", 0, 0, co64));
    const QByteArray minf = isoBox("minf", isoFullBox("vmhd", 0, 1, QByteArray(8, '\0'))
                                               + isoBox("dinf", isoFullBox("dref", 0, 0, one + isoFullBox("url ", 0, 1, {})))
                                               + stbl);
    const QByteArray hdlr = QByteArray(4, '\0') + "vide" + QByteArray(13, '\0');
    const QByteArray mdia = isoBox("mdia", isoFullBox("mdhd", 0, 0, mdhd) + isoFullBox("hdlr", 0, 0, hdlr) + minf);
    return isoFullBox("mvhd", 0, 0, mvhd) + isoBox("trak", isoFullBox("tkhd", 0, 3, tkhd) + mdia);
}

quint64 bigAt(const QByteArray &bytes, qsizetype at, int size)
{
    if (at < 0 || at + size > bytes.size())
        return 0;
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

} // namespace

QByteArray buildCr3(const Identity &identity, quint32 canonSerial, const QByteArray &sample, int orientation)
{
    std::vector<Entry> ifd0;
    addText(ifd0, 270, identity.imageDescription);
    addText(ifd0, 271, identity.make);
    addText(ifd0, 272, identity.model);
    ifd0.push_back(shorts(274, {quint16(orientation)}));
    addText(ifd0, 306, identity.dateTime);
    addText(ifd0, 315, identity.artist);
    addText(ifd0, 33432, identity.copyright);

    std::vector<Entry> exif;
    addText(exif, 36867, identity.dateTime);
    addText(exif, 36868, identity.dateTime);
    addText(exif, 42032, identity.ownerName);
    addText(exif, 42033, identity.bodySerial);

    // Canon's OwnerName is a fixed 32-byte field.
    std::vector<Entry> makerNotes {bytes(0x0009, ascii, identity.ownerName.leftJustified(32, '\0', true)),
                                   longs(0x000c, {canonSerial})};
    addText(makerNotes, 0x0096, identity.bodySerial);

    std::vector<Entry> gps {bytes(0x0000, byteType, QByteArray("\2\3\0\0", 4)), text(0x0001, "N"),
                            rationals(0x0002, rational, {{48, 1}, {51, 1}, {2970, 100}})};

    const QByteArray canon =
        isoBox("uuid", QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48")
                           + isoBox("CNCV", "CanonCR3_001/01.09.00/01.00.00") + isoBox("CMT1", tiffBlock(ifd0))
                           + isoBox("CMT2", tiffBlock(exif)) + isoBox("CMT3", tiffBlock(makerNotes))
                           + isoBox("CMT4", tiffBlock(gps)));
    const QDateTime takenAt = QDateTime::fromString(QString::fromLatin1(identity.dateTime), "yyyy:MM:dd hh:mm:ss");
    const quint32 createdAt = quint32(QDateTime(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC)
                                          .secsTo(QDateTime(takenAt.date(), takenAt.time(), Qt::UTC)));

    QByteArray ftypBody("crx ");
    appendBig(ftypBody, quint32(1));
    const QByteArray ftyp = isoBox("ftyp", ftypBody + "crx isom");
    // The sample offset depends on how long everything before it is.
    const auto head = [&](quint64 offset) {
        return ftyp + isoBox("moov", canon + cr3Movie(createdAt, 64, 48, quint32(sample.size()), offset));
    };
    const quint64 offset = quint64(head(0).size()) + 8;
    return head(offset) + isoBox("mdat", sample);
}

QByteArray firstSample(const QByteArray &file)
{
    // Box types are searched, not walked: enough for files with one track.
    const qsizetype stsz = file.indexOf("stsz");
    quint64 size = bigAt(file, stsz + 8, 4);
    if (size == 0)
        size = bigAt(file, stsz + 16, 4);
    quint64 offset = 0;
    if (const qsizetype co64 = file.indexOf("co64"); co64 >= 0)
        offset = bigAt(file, co64 + 12, 8);
    else if (const qsizetype stco = file.indexOf("stco"); stco >= 0)
        offset = bigAt(file, stco + 12, 4);
    if (stsz < 0 || offset == 0 || offset + size > quint64(file.size()))
        return {};
    return file.mid(qsizetype(offset), qsizetype(size));
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace TiffRawWriter
