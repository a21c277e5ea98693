#include "Fixtures.h"

#include "AudioFixtures.h"
#include "MoreFixtures.h"
#include "OfficeFixtures.h"

#include <ToolLocator.h>

#include <QColorSpace>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace Fixtures {

namespace {

constexpr quint32 canonSerial = 2718281828u;
const QString gps = "-GPSLatitude=48.8583 -GPSLatitudeRef=N -GPSLongitude=2.2945 -GPSLongitudeRef=E ";
const QStringList photos {"jpg", "png", "webp", "heic"}, movies {"mp4", "mov"};

QStringList args(const QString &words)
{
    return words.split(u' ', Qt::SkipEmptyParts);
}

void plant(const QString &path, const QStringList &tags)
{
    run("exiftool", QStringList {"-q", "-overwrite_original"} + tags << path);
}

// 2019-03-04 05:06:07, when every file was "taken", as movie headers count it.
quint32 movieSeconds()
{
    return quint32(QDateTime(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC)
                       .secsTo(QDateTime(QDate(2019, 3, 4), QTime(5, 6, 7), Qt::UTC)));
}

// Small camera raws built from scratch. DNG, NEF and ARW: little-endian TIFF
// with an uncompressed 16-bit Bayer image that libraw decodes. CR3: Canon's
// box layout and metadata blocks around image data no decoder can draw.
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

QByteArray isoBox(const char *type, const QByteArray &payload)
{
    return words({quint32(8 + payload.size())}) + QByteArray(type, 4) + payload;
}

QByteArray isoFullBox(const char *type, quint32 flags, const QByteArray &payload)
{
    return isoBox(type, words({flags}) + payload);
}

// 64x48, Orientation 6. DNG: the raw in IFD0 with DNG colour tags and the
// serial there; otherwise a thumbnail in IFD0 and the raw in a SubIFD.
QByteArray buildTiffRaw(bool dng, const QByteArray &make, const QByteArray &model)
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

// Canon's uuid box with CMT1-CMT4 (IFD0, Exif, maker notes with owner and
// serials, GPS), a movie header made at `createdAt` (seconds from 1904), and
// `image` as the media data.
QByteArray buildCr3(quint32 createdAt, const QByteArray &image)
{
    // Canon's OwnerName is a fixed 32-byte field.
    const Ifd makerNotes {{bytes(0x0009, ascii, QByteArray(owner).leftJustified(32, '\0', true)),
                           longs(0x000c, {canonSerial}), text(0x0096, serial)}, {}, {}};
    const Ifd gps {{bytes(0x0000, byteType, QByteArray("\2\3\0\0", 4)), text(0x0001, "N"),
                    numbers<qint32>(0x0002, rational, {48, 1, 51, 1, 2970, 100})}, {}, {}};
    const QByteArray canon = isoBox("uuid", QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48")
                                                + isoBox("CNCV", "CanonCR3_001/01.09.00/01.00.00")
                                                + isoBox("CMT1", tiff({identityEntries("Canon", "Canon EOS R"), {}, {}}))
                                                + isoBox("CMT2", tiff({exifEntries(true), {}, {}}))
                                                + isoBox("CMT3", tiff(makerNotes)) + isoBox("CMT4", tiff(gps)));
    const QByteArray mvhd = words({createdAt, createdAt, 1000, 1000, 0x10000, 0x01000000}) + QByteArray(8, '\0')
                            + words({0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000}) + QByteArray(24, '\0') + words({2});
    return isoBox("ftyp", "crx " + words({1}) + "crx isom") + isoBox("moov", canon + isoFullBox("mvhd", 0, mvhd))
           + isoBox("mdat", image);
}

QStringList clip(const QString &audioCodec)
{
    return args("-v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=1 -f lavfi -i sine=duration=1 -c:v libx264 -c:a "
                + audioCodec + " -metadata title=" + title + " -metadata artist=" + author + " -metadata comment="
                + comment + " -metadata creation_time=2019-03-04T05:06:07Z");
}

void makePhoto(const QString &path, const QString &extension)
{
    // Beside the photo under a plain name: exiftool expands "$" and "%" in the file it reads from.
    const QString profile = QFileInfo(path).dir().filePath("display-p3.icc");
    writeAll(profile, QColorSpace(QColorSpace::DisplayP3).iccProfile());
    if (extension == "jpg" || extension == "png") {
        if (!writeImage(path, extension == "jpg" ? "JPEG" : "PNG"))
            qFatal("cannot write %s", qPrintable(path));
    } else {
        // ImageMagick's HEIC writer drops the profile; libheif's encoder keeps it.
        const QString source = path + ".png";
        writeImage(source, "PNG");
        plant(source, {"-ICC_Profile<=" + profile});
        extension == "heic" ? run("heif-enc", {"-o", path, source}) : run("convert", {source, path});
        QFile::remove(source);
    }
    QStringList tags = args("-Orientation#=6 -EXIF:Artist=" + QString(author) + " -ExifIFD:SerialNumber=" + serial
                            + " -ExifIFD:OwnerName=" + owner + " -XMP-dc:Creator=" + creator + " -XMP-dc:Title=" + title
                            + " " + gps) << "-EXIF:DateTimeOriginal=" + QString(exifDate);
    // exiftool cannot add a profile to a HEIC: it came with the encoding.
    if (extension != "heic")
        tags << "-ICC_Profile<=" + profile;
    plant(path, tags);
    QFile::remove(profile);
}

void makeMatroska(const QString &path)
{
    const QString note = QFileInfo(path).dir().absoluteFilePath("note.txt");
    const QString font = QFileInfo(path).dir().absoluteFilePath("face.ttf");
    writeAll(note, QByteArray(attachment) + '\n');
    writeAll(font, QByteArray("\0\1\0\0 not really a font", 24));
    run("ffmpeg", clip("libvorbis") << args("-metadata:s:v:0 title=" + QString(serial) + " -metadata:s:a:0 title=" + owner)
                  << "-attach" << note << args("-metadata:s:t:0 mimetype=text/plain -attach") << font
                  << args("-metadata:s:t:1 mimetype=font/ttf") << path);
    QFile::remove(note);
    QFile::remove(font);
}

// Author, title and XMP creator in the base revision, as a document writer
// leaves them, then rewritten by qpdf into compressed object streams.
void makePdf(const QString &path)
{
    const QByteArray xmp =
        "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator><rdf:Seq><rdf:li>"
        + QByteArray(creator) + "</rdf:li></rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta>"
        "<?xpacket end=\"w\"?>";
    const QByteArray content = "0 0 1 rg 20 20 160 160 re f 1 0 0 rg 60 60 40 80 re f";
    const QString written = path + ".written";
    writeAll(written, pdfBytes({
        "<< /Type /Catalog /Pages 2 0 R /Metadata 6 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Author (" + QByteArray(author) + ") /Title (" + QByteArray(title) + ") /Subject (" + QByteArray(comment)
            + ") /CreationDate (D:20190304050607Z) >>",
        "<< /Type /Metadata /Subtype /XML /Length " + QByteArray::number(xmp.size()) + " >>\nstream\n" + xmp
            + "\nendstream",
    }));
    run("qpdf", {"--object-streams=generate", "--compress-streams=y", written, path});
    QFile::remove(written);
}

// The CR2 is the Canon EOS 30D sample Debian's rawtran-doc ships; the others
// are built above.
void makeRaw(const QString &path, const QString &extension)
{
    QString tags = "-XMP-dc:Creator=" + QString(creator) + " -IPTC:By-line=" + author + " -IPTC:ObjectName=" + title + " " + gps;
    if (extension == "cr2") {
        const QString sample = "/usr/share/doc/rawtran/IMG_5952.CR2";
        QFile::remove(path);
        if (!QFile::copy(sample, path))
            qFatal("cannot copy %s (scripts/deps.sh test installs rawtran-doc)", qPrintable(sample));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        tags += " -Artist=" + QString(author) + " -Copyright=" + title + " -ImageDescription=" + comment
                + " -Canon:OwnerName=" + owner + " -Canon:SerialNumber=" + QString::number(canonSerial);
    } else {
        const QHash<QString, QByteArrayList> cameras {{"dng", {"Tessaly", "RawCam 1"}}, {"nef", {"NIKON CORPORATION", "NIKON D700"}},
                                                      {"arw", {"SONY", "ILCE-7RM2"}}};
        QByteArray sample;
        for (int i = 0; i < 4096; ++i)
            sample.append(char((i * 37 + 11) % 256));
        if (extension != "cr3" && !cameras.contains(extension))
            qFatal("no fixture for .%s", qPrintable(extension));
        writeAll(path, extension == "cr3" ? buildCr3(movieSeconds(), sample)
                                           : buildTiffRaw(extension == "dng", cameras[extension][0], cameras[extension][1]));
    }
    // Tags that tell one shot, lens or person from another without naming them.
    if (extension != "cr3")
        tags += " -ExifIFD:ImageUniqueID=5e1f0c3a9b2d4e6f8a7b6c5d4e3f2a1b -ExifIFD:SubSecTimeOriginal=417"
                " -ExifIFD:OffsetTimeOriginal=+09:30 -ExifIFD:LensSerialNumber=TsyLensQ7x -XPAuthor=TsyXpQ7x"
                " -ExifIFD:UserComment=TsyUserQ7x";
    plant(path, args(tags));
}

} // namespace

QString program(const QString &name)
{
    if (name == "exiftool") {
        const auto bundled = ToolPaths::installed().exiftool();
        if (!bundled)
            qFatal("no bundled exiftool under %s", qPrintable(resourceDirectory()));
        return *bundled;
    }
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        qFatal("%s is not installed (scripts/deps.sh test installs it)", qPrintable(name));
    return path;
}

QByteArray run(const QString &name, const QStringList &arguments)
{
    QProcess process;
    process.start(program(name), arguments);
    // qpdf's 3 is "succeeded with warnings": it repaired something on the way.
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || (process.exitCode() != 0 && !(name == "qpdf" && process.exitCode() == 3))) {
        qFatal("%s %s failed (%d): %s", qPrintable(name), qPrintable(arguments.join(u' ')), process.exitCode(),
               process.readAllStandardError().constData());
    }
    return process.readAllStandardOutput();
}

QString resourceDirectory()
{
    return ToolPaths::installed().resourceDirectory;
}

QString make(const QString &directory, const QString &extension, const QString &name)
{
    const QString path = QDir(directory).absoluteFilePath(name.isEmpty() ? "sample." + extension : name);
    if (MoreFixtures::makes(extension))
        return MoreFixtures::make(path, extension);
    if (AudioFixtures::handles(extension)) {
        AudioFixtures::make(path, extension);
    } else if (photos.contains(extension)) {
        makePhoto(path, extension);
    } else if (movies.contains(extension)) {
        run("ffmpeg", clip("aac") << path);
        plant(path, {"-XMP-dc:Creator=" + QString(creator), "-Keys:Author=" + QString(owner),
                     "-GPSCoordinates=48.8583, 2.2945"});
    } else if (extension == "mkv") {
        makeMatroska(path);
    } else if (extension == "pdf") {
        makePdf(path);
    } else if (OfficeFixtures::kinds.contains(extension)) {
        OfficeFixtures::make(path, extension);
    } else {
        makeRaw(path, extension);
    }
    return path;
}

QList<QByteArray> planted(const QString &extension)
{
    if (MoreFixtures::makes(extension))
        return MoreFixtures::planted(extension);
    if (AudioFixtures::handles(extension))
        return AudioFixtures::planted(extension);
    if (OfficeFixtures::kinds.contains(extension))
        return OfficeFixtures::planted(extension);
    if (photos.contains(extension))
        return {author, serial, owner, creator, title, exifDate};
    if (movies.contains(extension))
        return {title, author, comment, creator, owner, "+48.8583", words({movieSeconds()})};
    if (extension == "mkv")
        return {title, author, comment, serial, owner, attachment};
    if (extension == "pdf")
        return {author, title, comment, creator, "20190304"};
    if (extension == "cr2")
        return {author, title, comment, owner, creator, words({canonSerial}, false), "F0423075", "2009:07:21"};
    if (extension == "cr3")
        return {author, title, comment, serial, owner, creator, exifDate, words({canonSerial}, false),
                words({movieSeconds()})};
    return {author, title, comment, serial, owner, creator, exifDate};
}

QByteArray rendering(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (MoreFixtures::makes(extension))
        return MoreFixtures::rendering(path);
    if (AudioFixtures::handles(extension))
        return AudioFixtures::rendering(path);
    if (photos.contains(extension))
        return run("convert", {path, "-auto-orient", "-depth", "8", "ppm:-"});
    // No decoder draws the made-up CR3: what a decoder would be given must stay.
    if (extension == "cr3") {
        const QByteArray file = readAll(path);
        return file.mid(file.lastIndexOf("mdat") + 4);
    }
    if (QStringList {"cr2", "nef", "arw", "dng"}.contains(extension))
        return run("dcraw_emu", {"-w", "-Z", "-", path});
    if (movies.contains(extension) || extension == "mkv")
        return run("ffmpeg", QStringList {"-v", "error", "-i", path} + args("-map 0:v -map 0:a -f framemd5 -"));
    if (extension == "pdf")
        return run("pdftoppm", {"-r", "36", path});
    if (OfficeFixtures::kinds.contains(extension))
        return OfficeFixtures::rendering(path);
    qFatal("no rendering for %s", qPrintable(path));
}

QByteArray pictureTagsIn(const QString &pdf)
{
    QTemporaryDir pictures;
    run("pdfimages", {"-all", pdf, pictures.filePath("p")});
    const QStringList jpegs = QDir(pictures.path()).entryList({"*.jpg"}, QDir::Files);
    QByteArray tags = jpegs.isEmpty() ? "no JPEG" : "";
    for (const QString &name : jpegs)
        tags += run("exiftool", {"-s", "-s", "-GPSLatitude", "-Artist", "-SerialNumber", "-OwnerName", "-DateTimeOriginal",
                                 "-XMP:Creator", "-XMP:Title", pictures.filePath(name)});
    return tags;
}

QByteArray everythingIn(const QString &path)
{
    QByteArray bytes = readAll(path);
    if (path.endsWith(".pdf"))
        bytes += run("qpdf", {"--qdf", "--object-streams=disable", path, "-"});
    if (OfficeFixtures::kinds.contains(QFileInfo(path).suffix().toLower()))
        bytes += OfficeFixtures::unpacked(path);
    return bytes;
}

QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles)
{
    QList<QByteArray> present = needles;
    present.removeIf([&bytes](const QByteArray &needle) { return !bytes.contains(needle); });
    return present;
}

bool marked(const QString &path)
{
    return !found(everythingIn(path), planted(QFileInfo(path).suffix().toLower())).isEmpty();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

bool writeImage(const QString &path, const char *format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), 128));
    return image.save(path, format, 95);
}

QByteArray pdfBytes(const QList<QByteArray> &objects, const QByteArray &trailer)
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R " + trailer + " >>\n";
    return pdf + "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

QList<qint64> liveChildren(const QByteArray &needle, qint64 parent)
{
    if (parent == 0)
        parent = QCoreApplication::applicationPid();
    QList<qint64> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(entry));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (entry.toLongLong() > 0 && fields.size() > 1 && fields[1].toLongLong() == parent
            && fields[0] != "Z"
            && readAll(QStringLiteral("/proc/%1/cmdline").arg(entry)).replace('\0', ' ').contains(needle))
            found.append(entry.toLongLong());
    }
    std::sort(found.begin(), found.end());
    return found;
}

QHash<QString, QString> ungrouped(const QHash<QString, QString> &table)
{
    QHash<QString, QString> names;
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const QString name = it.key().mid(it.key().indexOf(u':') + 1);
        if (!names.contains(name))
            names.insert(name, it.value());
    }
    return names;
}

} // namespace Fixtures
