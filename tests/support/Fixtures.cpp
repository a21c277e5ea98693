#include "Fixtures.h"

#include "AudioFixtures.h"
#include "MoreFixtures.h"
#include "OfficeFixtures.h"
#include "RawFixtures.h"

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

const QString gps = "-GPSLatitude=48.8583 -GPSLatitudeRef=N -GPSLongitude=2.2945 -GPSLongitudeRef=E ";
const QStringList photos {"jpg", "png", "webp", "heic"}, movies {"mp4", "mov"};

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
                + " -Canon:OwnerName=" + owner + " -Canon:SerialNumber=" + QString::number(RawFixtures::canonSerial);
    } else {
        const QHash<QString, QByteArrayList> cameras {{"dng", {"Tessaly", "RawCam 1"}}, {"nef", {"NIKON CORPORATION", "NIKON D700"}},
                                                      {"arw", {"SONY", "ILCE-7RM2"}}};
        QByteArray sample;
        for (int i = 0; i < 4096; ++i)
            sample.append(char((i * 37 + 11) % 256));
        if (extension != "cr3" && !cameras.contains(extension))
            qFatal("no fixture for .%s", qPrintable(extension));
        writeAll(path, extension == "cr3" ? RawFixtures::cr3(movieSeconds(), sample)
                                           : RawFixtures::tiffRaw(extension == "dng", cameras[extension][0], cameras[extension][1]));
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

QStringList args(const QString &words)
{
    return words.split(u' ', Qt::SkipEmptyParts);
}

void plant(const QString &path, const QStringList &tags)
{
    run("exiftool", QStringList {"-q", "-q", "-overwrite_original"} + tags << path);
}

quint32 movieSeconds()
{
    return quint32(QDateTime(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC)
                       .secsTo(QDateTime(QDate(2019, 3, 4), QTime(5, 6, 7), Qt::UTC)));
}

QByteArray be32(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray le32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray box(const QByteArray &type, const QByteArray &payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}

QByteArray ebml(const QByteArray &id, const QByteArray &payload, bool unknownSize)
{
    QByteArray size(8, '\0');
    size[0] = 0x01;
    for (int i = 0; i < 7; ++i)
        size[7 - i] = unknownSize ? char(0xff) : char((payload.size() >> (8 * i)) & 0xff);
    return id + size + payload;
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
        return {title, author, comment, creator, owner, "+48.8583", be32(movieSeconds())};
    if (extension == "mkv")
        return {title, author, comment, serial, owner, attachment};
    if (extension == "pdf")
        return {author, title, comment, creator, "20190304"};
    if (extension == "cr2")
        return {author, title, comment, owner, creator, le32(RawFixtures::canonSerial), "F0423075", "2009:07:21"};
    if (extension == "cr3")
        return {author, title, comment, serial, owner, creator, exifDate, le32(RawFixtures::canonSerial),
                be32(movieSeconds())};
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
