#include "TiffDirectories.h"

#include "ByteSource.h"
#include "ContainerText.h"

#include <QHash>
#include <QIODevice>
#include <QSet>

using ContainerText::translated;

namespace {

enum class Directory { main, sub, exif, gps, interop };

constexpr quint16 subIfds = 0x014a, exifIfd = 0x8769, gpsIfd = 0x8825, interopIfd = 0xa005;

const QHash<quint16, QByteArray> &identifyingTags()
{
    static const QHash<quint16, QByteArray> tags {
        {0x010e, "ImageDescription"}, {0x0132, "DateTime"}, {0x013b, "Artist"}, {0x013c, "HostComputer"},
        {0x02bc, "XMP"}, {0x8298, "Copyright"}, {0x83bb, "IPTC"}, {0x8649, "Photoshop"},
        {0x882a, "TimeZoneOffset"}, {0x9003, "DateTimeOriginal"}, {0x9004, "DateTimeDigitized"},
        {0x9010, "OffsetTime"}, {0x9011, "OffsetTimeOriginal"}, {0x9012, "OffsetTimeDigitized"},
        {0x9211, "ImageNumber"}, {0x9286, "UserComment"}, {0x9290, "SubSecTime"}, {0x9291, "SubSecTimeOriginal"},
        {0x9292, "SubSecTimeDigitized"}, {0x9c9b, "XPTitle"}, {0x9c9c, "XPComment"}, {0x9c9d, "XPAuthor"},
        {0x9c9e, "XPKeywords"}, {0x9c9f, "XPSubject"}, {0xa420, "ImageUniqueID"}, {0xa430, "CameraOwnerName"},
        {0xa431, "BodySerialNumber"}, {0xa435, "LensSerialNumber"}, {0xc62f, "CameraSerialNumber"},
        {0xc68b, "OriginalRawFileName"}, {0xc68c, "OriginalRawFileData"}, {0xc71b, "PreviewDateTime"},
    };
    return tags;
}

int typeSize(quint16 type)
{
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: case 16: case 17: case 18: return 8;
    default: return 0;
    }
}

class TiffWalker
{
public:
    TiffWalker(const ByteSource &source, ContainerWalk &walk) : m_source(source), m_walk(walk) { }

    void run()
    {
        const auto header = m_source.read(0, 8);
        if (!header || !(header->startsWith("II") || header->startsWith("MM"))) {
            m_walk.damage = ContainerText::brokenAt(0);
            return;
        }
        m_little = header->startsWith("II");
        const quint32 magic = number(*header, 2, 2);
        if (magic != 42 && magic != 0x4f52 && magic != 0x5352 && magic != 0x55) {
            m_walk.damage = ContainerText::brokenAt(2);
            return;
        }
        m_walk.items.append({translated("tiff_header", "file header"), "TIFF", 0, 8, ItemRole::needed,
                             KeptBecause::structure, {}});
        QList<std::pair<qint64, Directory>> pending {{number(*header, 4, 4), Directory::main}};
        while (!pending.isEmpty()) {
            const auto [offset, kind] = pending.takeFirst();
            if (offset == 0 || m_seen.contains(offset))
                continue;
            if (m_seen.size() >= TiffDirectories::maxDirectories) {
                m_walk.damage = ContainerText::tooMany(offset);
                return;
            }
            m_seen.insert(offset);
            if (!directory(offset, kind, pending))
                return;
        }
    }

private:
    quint64 number(const QByteArray &bytes, qsizetype at, int width) const
    {
        quint64 value = 0;
        for (int i = 0; i < width; ++i) {
            const quint8 byte = quint8(bytes.at(at + (m_little ? width - 1 - i : i)));
            value = (value << 8) | byte;
        }
        return value;
    }

    QString placeOf(Directory kind, int index) const
    {
        switch (kind) {
        case Directory::main: return translated("tiff_ifd", "IFD%1").arg(index);
        case Directory::sub: return translated("tiff_subifd", "SubIFD");
        case Directory::exif: return translated("tiff_exif_ifd", "EXIF IFD");
        case Directory::gps: return translated("tiff_gps_ifd", "GPS IFD");
        case Directory::interop: return translated("tiff_interop_ifd", "interoperability IFD");
        }
        return {};
    }

    bool directory(qint64 offset, Directory kind, QList<std::pair<qint64, Directory>> &pending)
    {
        const auto countBytes = m_source.read(offset, 2);
        const quint64 count = countBytes ? number(*countBytes, 0, 2) : 0;
        const auto table = m_source.read(offset + 2, qint64(count) * 12 + 4);
        if (!countBytes || !table || count > quint64(TiffDirectories::maxEntries)) {
            m_walk.damage = ContainerText::brokenAt(offset);
            return false;
        }
        const QString place = placeOf(kind, kind == Directory::main ? m_mainIndex++ : 0);
        m_walk.items.append({place, "IFD", offset, qint64(count) * 12 + 6, ItemRole::needed, KeptBecause::structure, {}});
        for (quint64 i = 0; i < count; ++i) {
            const qsizetype at = qsizetype(i) * 12;
            const auto tag = quint16(number(*table, at, 2)), type = quint16(number(*table, at + 2, 2));
            const quint64 values = number(*table, at + 4, 4);
            const quint64 length = values * quint64(typeSize(type));
            QByteArray value;
            qint64 valueOffset = offset + 2 + at + 8;
            if (length <= 4) {
                value = table->mid(at + 8, qsizetype(length));
            } else {
                valueOffset = qint64(number(*table, at + 8, 4));
                // A value too big to read is taken to say something.
                value = length > quint64(ByteSource::maxRead) ? QByteArray("?")
                                                               : m_source.read(valueOffset, qint64(length)).value_or(QByteArray());
                if (value.isEmpty()) {
                    m_walk.damage = ContainerText::brokenAt(offset + 2 + at);
                    return false;
                }
            }
            if (tag == subIfds || tag == exifIfd || tag == gpsIfd || tag == interopIfd) {
                if (length > quint64(ByteSource::maxRead)) {
                    m_walk.damage = ContainerText::brokenAt(offset + 2 + at);
                    return false;
                }
                const Directory target = tag == subIfds ? Directory::sub
                    : tag == exifIfd ? Directory::exif : tag == gpsIfd ? Directory::gps : Directory::interop;
                for (qsizetype v = 0; v + 4 <= value.size() && (type == 4 || type == 13); v += 4)
                    pending.append({qint64(number(value, v, 4)), target});
            }
            const ItemRole role = TiffDirectories::roleOf(tag, value, kind == Directory::gps);
            const bool decoders = role == ItemRole::needed && TiffDirectories::isReadByRawDecoders(tag);
            m_walk.items.append({place, TiffDirectories::nameOf(tag), valueOffset, qint64(qMin<quint64>(length, 1ull << 40)),
                                 role, decoders ? KeptBecause::pixels : KeptBecause::structure,
                                 decoders ? translated("tiff_read_by_decoders", "raw decoders read it") : QString()});
        }
        if (kind == Directory::main || kind == Directory::sub)
            pending.append({qint64(number(*table, qsizetype(count) * 12, 4)), kind});
        return true;
    }

    const ByteSource &m_source;
    ContainerWalk &m_walk;
    bool m_little = true;
    int m_mainIndex = 0;
    QSet<qint64> m_seen;
};

} // namespace

ItemRole TiffDirectories::roleOf(quint16 tag, const QByteArray &value, bool inGps)
{
    if (!inGps && !identifyingTags().contains(tag))
        return ItemRole::needed;
    // An empty field, or one a camera filled with blanks or zeros, says nothing.
    for (char c : value) {
        if (c != '\0' && c != ' ')
            return ItemRole::identifying;
    }
    return ItemRole::needed;
}

bool TiffDirectories::isReadByRawDecoders(quint16 tag)
{
    return tag == 0x010f || tag == 0x0110 || tag == 0x0131 || tag == 0x927c || tag == 0xc634;
}

QByteArray TiffDirectories::nameOf(quint16 tag)
{
    static const QHash<quint16, QByteArray> structural {
        {0x010f, "Make"}, {0x0110, "Model"}, {0x0131, "Software"}, {0x927c, "MakerNote"}, {0xc634, "DNGPrivateData"},
        {subIfds, "SubIFDs"}, {exifIfd, "ExifIFD"}, {gpsIfd, "GPSInfo"}, {interopIfd, "InteropIFD"},
    };
    const QByteArray name = identifyingTags().value(tag, structural.value(tag));
    return name.isEmpty() ? "0x" + QByteArray::number(tag, 16).rightJustified(4, '0') : name;
}

ContainerWalk walkTiff(QIODevice &file)
{
    ContainerWalk walk;
    const ByteSource source(file);
    TiffWalker(source, walk).run();
    return walk;
}
