#include "ExifOrientation.h"

#include "ContainerBytes.h"

namespace ExifOrientation {

namespace {

constexpr quint16 orientationTag = 0x0112;
constexpr quint16 shortType = 3;

struct Ifd0
{
    bool bigEndian = false;
    qsizetype at = 0; // of the entry count
    int count = 0;

    quint16 u16(QByteArrayView b, qsizetype i) const
    {
        return bigEndian ? ContainerBytes::be16(b, i) : qFromLittleEndian<quint16>(b.data() + i);
    }
    quint32 u32(QByteArrayView b, qsizetype i) const
    {
        return bigEndian ? ContainerBytes::be32(b, i) : ContainerBytes::le32(b, i);
    }
};

std::optional<Ifd0> ifd0(QByteArrayView tiff)
{
    if (tiff.size() < 8)
        return std::nullopt;
    Ifd0 ifd;
    if (tiff.startsWith("MM\0*"))
        ifd.bigEndian = true;
    else if (!tiff.startsWith("II*\0"))
        return std::nullopt;
    ifd.at = ifd.u32(tiff, 4);
    if (!ContainerBytes::fits(tiff, ifd.at, 2))
        return std::nullopt;
    ifd.count = ifd.u16(tiff, ifd.at);
    if (!ContainerBytes::fits(tiff, ifd.at + 2, qsizetype(ifd.count) * 12))
        return std::nullopt;
    return ifd;
}

} // namespace

std::optional<int> read(QByteArrayView tiff)
{
    const auto ifd = ifd0(tiff);
    if (!ifd)
        return std::nullopt;
    for (int i = 0; i < ifd->count; ++i) {
        const qsizetype entry = ifd->at + 2 + qsizetype(i) * 12;
        if (ifd->u16(tiff, entry) != orientationTag)
            continue;
        if (ifd->u16(tiff, entry + 2) != shortType || ifd->u32(tiff, entry + 4) != 1)
            return std::nullopt;
        const int value = ifd->u16(tiff, entry + 8);
        return value >= 1 && value <= 8 ? std::optional<int>(value) : std::nullopt;
    }
    return std::nullopt;
}

bool isOrientationOnly(QByteArrayView tiff)
{
    const auto ifd = ifd0(tiff);
    // No next IFD (a thumbnail would hang there) and nothing after the entry.
    return ifd && ifd->count == 1 && ifd->u16(tiff, ifd->at + 2) == orientationTag && read(tiff)
           && ContainerBytes::fits(tiff, ifd->at + 14, 4) && ifd->u32(tiff, ifd->at + 14) == 0
           && tiff.size() == ifd->at + 18;
}

QByteArray build(int orientation)
{
    QByteArray out("MM\0*", 4);
    ContainerBytes::appendBe32(out, 8);
    ContainerBytes::appendBe16(out, 1);
    ContainerBytes::appendBe16(out, orientationTag);
    ContainerBytes::appendBe16(out, shortType);
    ContainerBytes::appendBe32(out, 1);
    ContainerBytes::appendBe16(out, quint16(orientation));
    ContainerBytes::appendBe16(out, 0);
    ContainerBytes::appendBe32(out, 0);
    return out;
}

} // namespace ExifOrientation
