#include "ImageSamples.h"

#include <Fixtures.h>

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

namespace ImageSamples {

namespace {

void be32(QByteArray &out, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    out.append(buffer, 4);
}

QByteArray text(int version, const QByteArray &value)
{
    QByteArray out;
    if (version >= 4) {
        out = QByteArray("mluc\0\0\0\0", 8);
        be32(out, 1);
        be32(out, 12);
        out.append("enUS");
        be32(out, quint32(value.size() * 2));
        be32(out, 28);
        for (char c : value)
            out.append('\0').append(c);
        return out;
    }
    out = QByteArray("desc\0\0\0\0", 8);
    be32(out, quint32(value.size() + 1));
    return out + value + QByteArray(1 + 4 + 4 + 2 + 1 + 67, '\0');
}

QByteArray xyz(double x, double y, double z)
{
    QByteArray out("XYZ \0\0\0\0", 8);
    for (double v : {x, y, z})
        be32(out, quint32(qint32(v * 65536 + 0.5)));
    return out;
}

} // namespace

QByteArray iccProfile(int version, const QString &description)
{
    const QByteArray curve = QByteArray("curv\0\0\0\0\0\0\0\1\2\x33", 14); // gamma 2.2, 14 bytes: not aligned
    const QByteArray meta = QByteArray("dict\0\0\0\0", 8) + metaMark;
    const QList<std::pair<QByteArray, QByteArray>> tags {
        {"desc", text(version, description.toLatin1())},
        {"cprt", version >= 4 ? text(4, copyrightMark) : QByteArray("text\0\0\0\0", 8) + copyrightMark + '\0'},
        {"wtpt", xyz(0.9642, 1.0, 0.8249)},
        {"rXYZ", xyz(0.4361, 0.2225, 0.0139)},
        {"gXYZ", xyz(0.3851, 0.7169, 0.0971)},
        {"bXYZ", xyz(0.1431, 0.0606, 0.7141)},
        {"rTRC", curve}, {"gTRC", curve}, {"bTRC", curve},
        {"dmnd", text(version, makerMark)},
        {"dmdd", text(version, modelMark)},
        {"meta", meta},
    };
    QByteArray header(128, '\0');
    header.replace(4, 4, "TSYC");
    header[8] = char(version);
    header[9] = version >= 4 ? 0x30 : 0x10;
    header.replace(12, 12, "mntrRGB XYZ ");
    for (int i = 0; i < 6; ++i)
        qToBigEndian(quint16(QList<int> {2019, 3, 4, 5, 6, 7}[i]), header.data() + 24 + 2 * i);
    header.replace(36, 8, "acspAPPL");
    header.replace(48, 8, "TSYMTSY1");
    header.replace(68, 12, QByteArray::fromHex("0000f6d6000100000000d32d"));
    header.replace(80, 4, "TSYC");
    header.replace(84, 16, QByteArray(16, '\x5a'));

    QByteArray table, data;
    be32(table, quint32(tags.size()));
    const qsizetype start = 128 + 4 + tags.size() * 12;
    qsizetype curveAt = 0;
    for (const auto &[signature, value] : tags) {
        qsizetype at = start + data.size();
        if (value == curve && curveAt)
            at = curveAt;
        else
            data.append(value).append(QByteArray((4 - value.size() % 4) % 4, '\0'));
        if (value == curve)
            curveAt = at;
        table.append(signature);
        be32(table, quint32(at));
        be32(table, quint32(value.size()));
    }
    QByteArray profile = header + table + data;
    qToBigEndian(quint32(profile.size()), profile.data());
    return profile;
}

QByteArray iccTag(const QByteArray &profile, const char *signature)
{
    const quint32 count = qFromBigEndian<quint32>(profile.constData() + 128);
    for (quint32 i = 0; i < count; ++i) {
        const char *entry = profile.constData() + 132 + 12 * i;
        if (QByteArray(entry, 4) == signature)
            return profile.mid(qFromBigEndian<quint32>(entry + 4), qFromBigEndian<quint32>(entry + 8));
    }
    return {};
}

quint32 iccTagOffset(const QByteArray &profile, const char *signature)
{
    const quint32 count = qFromBigEndian<quint32>(profile.constData() + 128);
    for (quint32 i = 0; i < count; ++i) {
        const char *entry = profile.constData() + 132 + 12 * i;
        if (QByteArray(entry, 4) == signature)
            return qFromBigEndian<quint32>(entry + 4);
    }
    return 0;
}

QByteArray picture(const char *format)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p");
    if (!Fixtures::writeImage(path, format))
        qFatal("cannot write a %s", format);
    return Fixtures::readAll(path);
}

QByteArray converted(const QByteArray &bytes, const char *suffix, const QString &program, const QStringList &arguments)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("input.") + suffix), out = dir.filePath(QStringLiteral("output.") + suffix);
    Fixtures::writeAll(in, bytes);
    QStringList filled = arguments;
    filled.replaceInStrings("INPUT", in).replaceInStrings("OUTPUT", out);
    Fixtures::run(program, filled);
    return Fixtures::readAll(out);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray out;
    be32(out, quint32(data.size()));
    out.append(type).append(data);
    be32(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(out.constData() + 4), uInt(out.size() - 4))));
    return out;
}

QByteArray afterIhdr(const QByteArray &png, const QByteArray &chunks)
{
    return png.first(8 + 25) + chunks + png.mid(8 + 25);
}

QByteArray deflated(const QByteArray &data)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()));
    return out.first(qsizetype(size));
}

QByteArray riffChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray out = type;
    const quint32 size = qToLittleEndian(quint32(data.size()));
    out.append(reinterpret_cast<const char *>(&size), 4).append(data);
    return data.size() % 2 ? out.append('\0') : out;
}

QByteArray withRiffChunk(const QByteArray &webp, const QByteArray &chunk, int frame)
{
    QByteArray out = webp;
    qsizetype at = 12, end = out.size();
    for (int seen = 0; frame && at < out.size(); at += 8 + (qFromLittleEndian<quint32>(out.constData() + at + 4) + 1) / 2 * 2) {
        if (out.mid(at, 4) == "ANMF" && ++seen == frame) {
            const quint32 size = qFromLittleEndian<quint32>(out.constData() + at + 4);
            end = at + 8 + size;
            qToLittleEndian(quint32(size + chunk.size()), out.data() + at + 4);
            break;
        }
    }
    out.insert(end, chunk);
    qToLittleEndian(quint32(out.size() - 8), out.data() + 4);
    return out;
}

QByteArray exiftool(const QByteArray &bytes, const QStringList &arguments, const char *suffix)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.") + suffix);
    Fixtures::writeAll(path, bytes);
    const QByteArray output = Fixtures::run("exiftool", arguments + QStringList {path});
    return arguments.contains("-overwrite_original") ? Fixtures::readAll(path) : output;
}

QList<QImage> frames(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    QList<QImage> images;
    for (QImage image = reader.read(); !image.isNull() && images.size() < 100; image = reader.read())
        images.append(image.convertToFormat(QImage::Format_ARGB32));
    return images;
}

int transformation(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return int(QImageReader(&buffer).transformation());
}

} // namespace ImageSamples
