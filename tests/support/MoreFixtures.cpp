#include "MoreFixtures.h"

#include "Fixtures.h"

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <map>

using namespace Fixtures;

namespace MoreFixtures {

namespace {

const QStringList raws {"orf", "rw2", "pef", "srw"}, sounds {"m4a", "3gp"};
const QString gps = "-GPSLatitude=48.8583 -GPSLatitudeRef=N -GPSLongitude=2.2945 -GPSLongitudeRef=E";

// A little-endian TIFF directory: tag -> (type, count, value bytes).
struct Field { quint16 type; quint32 count; QByteArray value; };
using Directory = std::map<quint16, Field>;

Field text(const QByteArray &value) { return {2, quint32(value.size() + 1), value + '\0'}; }
Field shorts(std::initializer_list<quint16> values)
{
    QByteArray bytes;
    for (quint16 v : values)
        bytes.append(char(v & 0xff)).append(char(v >> 8));
    return {3, quint32(values.size()), bytes};
}
Field longValue(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return {4, 1, bytes};
}

// Writes `directory` at the end of `out`, its long values after it; returns
// where each tag's value field sits, to point it elsewhere later.
QHash<quint16, qsizetype> writeDirectory(QByteArray &out, const Directory &directory)
{
    const qsizetype start = out.size();
    out.append(QByteArray(2 + 12 * qsizetype(directory.size()) + 4, '\0'));
    qToLittleEndian(quint16(directory.size()), out.data() + start);
    QHash<quint16, qsizetype> fields;
    qsizetype at = start + 2;
    for (const auto &[tag, field] : directory) {
        qToLittleEndian(tag, out.data() + at);
        qToLittleEndian(field.type, out.data() + at + 2);
        qToLittleEndian(field.count, out.data() + at + 4);
        fields.insert(tag, at + 8);
        if (field.value.size() <= 4) {
            std::copy(field.value.begin(), field.value.end(), out.begin() + at + 8);
        } else {
            out.append(out.size() % 2 ? 1 : 0, '\0');
            qToLittleEndian(quint32(out.size()), out.data() + at + 8);
            out.append(field.value);
        }
        at += 12;
    }
    out.append(out.size() % 2 ? 1 : 0, '\0');
    return fields;
}

// A 64x48 RGGB mosaic with gradients and a pattern in every channel (a
// shifted, flipped or recoloured decode differs), 12 bits a sample packed
// high bits first, as Olympus stores it uncompressed; the raw in IFD0 and an
// EXIF IFD after it. Olympus and Panasonic change the TIFF magic number;
// Panasonic adds its signature before IFD0.
QByteArray tiffRaw(const QString &extension, const QByteArray &make, const QByteArray &model)
{
    constexpr int width = 64, height = 48;
    QByteArray strip;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 2) {
            const auto sample = [y](int x) {
                return quint16(std::min(300 + x * 40 + y * 25 + ((y % 2) * 2 + (x % 2)) * 350 + ((x * 7 + y * 13) % 17) * 20, 4000));
            };
            const quint16 a = sample(x), b = sample(x + 1);
            strip.append(char(a >> 4)).append(char(((a & 15) << 4) | (b >> 8))).append(char(b & 0xff));
        }
    }
    const bool panasonic = extension == "rw2";
    QByteArray out = extension == "orf" ? QByteArray("IIRO", 4) : panasonic ? QByteArray("IIU\0", 4) : QByteArray("II*\0", 4);
    out.append(QByteArray(4, '\0'));
    if (panasonic)
        out.append(QByteArray::fromHex("88e774d8f8251d4d947a6e77822b5d6a"));
    qToLittleEndian(quint32(out.size()), out.data() + 4);

    Directory ifd0 {{254, longValue(0)}, {256, longValue(width)}, {257, longValue(height)}, {258, shorts({12})},
                    {259, shorts({1})}, {262, shorts({32803})}, {271, text(make)}, {272, text(model)},
                    {273, longValue(0)}, {274, shorts({6})}, {277, shorts({1})}, {278, longValue(height)},
                    {279, longValue(quint32(strip.size()))}, {284, shorts({1})}, {33421, shorts({2, 2})},
                    {33422, {1, 4, QByteArray("\0\1\1\2", 4)}}, {34665, longValue(0)}};
    if (!panasonic) {
        ifd0.insert({{270, text(comment)}, {306, text(exifDate)}, {315, text(author)}, {33432, text(title)}});
    }
    const auto fields = writeDirectory(out, ifd0);
    qToLittleEndian(quint32(out.size()), out.data() + fields[34665]);
    writeDirectory(out, {{36864, {7, 4, "0230"}}, {36867, text(exifDate)}, {42032, text(owner)}, {42033, text(serial)}});
    qToLittleEndian(quint32(out.size()), out.data() + fields[273]);
    return out + strip;
}

void makeRaw(const QString &path, const QString &extension)
{
    static const QHash<QString, QByteArrayList> cameras {{"orf", {"OLYMPUS IMAGING CORP.", "E-M10"}},
                                                         {"rw2", {"Panasonic", "DMC-GH4"}},
                                                         {"pef", {"PENTAX", "PENTAX K-5"}},
                                                         {"srw", {"SAMSUNG", "NX300"}}};
    writeAll(path, tiffRaw(extension, cameras[extension][0], cameras[extension][1]));
    plant(path, args("-XMP-dc:Creator=" + QString(creator) + " -XMP-dc:Title=" + title + " " + gps));
}

// Three frames that loop, with ImageMagick's comment; exiftool adds XMP; a
// private application extension and bytes after the trailer are spliced in.
void makeGif(const QString &path)
{
    run("convert", args("-delay 10 -size 32x24 xc:red xc:green xc:blue -loop 0 -set comment") << comment << path);
    plant(path, {"-XMP-dc:Creator=" + QString(creator)});
    QByteArray bytes = readAll(path);
    const QByteArray privateBlock = QByteArray("\x21\xff\x0bTSYPRIVA1.0", 14) + char(qstrlen(owner)) + owner + '\0';
    bytes.insert(bytes.lastIndexOf('\x3b'), privateBlock);
    writeAll(path, bytes + title);
}

void makePicture(const QString &path, const QString &extension)
{
    const QString source = path + ".png";
    writeImage(source, "PNG");
    if (extension == "jxl")
        run("cjxl", {source, path, "-d", "0", "--container=1"});
    else
        run("convert", {source, path});
    QFile::remove(source);
    // Beside the picture under a plain name: exiftool expands "$" and "%" in the file it reads from.
    const QString profile = QFileInfo(path).dir().filePath("display-p3.icc");
    writeAll(profile, QColorSpace(QColorSpace::DisplayP3).iccProfile());
    if (extension == "tif")
        plant(path, {"-ICC_Profile<=" + profile});
    QFile::remove(profile);
    plant(path, args("-EXIF:Artist=" + QString(author) + " -ExifIFD:SerialNumber=" + serial + " -ExifIFD:OwnerName="
                     + owner + " -XMP-dc:Creator=" + creator + " -XMP-dc:Title=" + title + " " + gps)
                    << "-EXIF:DateTimeOriginal=" + QString(exifDate)
                    << (extension == "tif" ? "-IFD0:ImageDescription=" + QString(comment) : "-XMP-dc:Description=" + QString(comment))
                    << (extension == "tif" ? QStringList {"-Orientation#=6", "-Software=TsySoftQ7x", "-HostComputer=TsyHostQ7x"}
                                           : QStringList {}));
}

} // namespace

bool makes(const QString &extension)
{
    return kinds.contains(extension);
}

QString make(const QString &path, const QString &extension)
{
    if (raws.contains(extension)) {
        makeRaw(path, extension);
    } else if (extension == "gif") {
        makeGif(path);
    } else if (sounds.contains(extension)) {
        QStringList clip = args("-v error -y -f lavfi -i sine=duration=1");
        if (extension == "3gp")
            clip << args("-f lavfi -i testsrc=size=64x48:rate=10:duration=1 -c:v libx264");
        run("ffmpeg", clip << args("-c:a aac -metadata title=" + QString(title) + " -metadata artist=" + author
                                   + " -metadata comment=" + comment + " -metadata creation_time=2019-03-04T05:06:07Z")
                           << path);
        plant(path, {"-XMP-dc:Creator=" + QString(creator), "-Keys:Author=" + QString(owner)});
    } else {
        makePicture(path, extension);
    }
    return path;
}

QList<QByteArray> planted(const QString &extension)
{
    if (extension == "gif")
        return {comment, creator, owner, title};
    if (sounds.contains(extension))
        return {title, author, comment, creator, owner, be32(movieSeconds())};
    if (extension == "rw2")
        return {creator, title, owner, serial, exifDate};
    if (extension == "tif")
        return {author, serial, owner, creator, title, comment, exifDate, "TsySoftQ7x", "TsyHostQ7x"};
    return {author, serial, owner, creator, title, comment, exifDate};
}

QByteArray rendering(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (raws.contains(extension))
        return run("dcraw_emu", {"-w", "-Z", "-", path});
    if (sounds.contains(extension))
        return run("ffmpeg", QStringList {"-v", "error", "-i", path} + args("-map 0 -f framemd5 -"));
    if (extension == "gif")
        return run("convert", {path, "-coalesce", "-strip", "ppm:-"}) + run("identify", {"-format", "%T %n|", path})
               + run("exiftool", {"-s3", "-AnimationIterations", path});
    if (extension == "jxl") {
        QTemporaryDir decoded;
        run("djxl", {path, decoded.filePath("p.ppm")});
        return readAll(decoded.filePath("p.ppm"));
    }
    return run("convert", {path, "-auto-orient", "-strip", "ppm:-"});
}

QByteArray fujifilmHeader()
{
    return QByteArray("FUJIFILMCCD-RAW 0201FF383501", 28) + QByteArray(100, '\0');
}

} // namespace MoreFixtures
