#include "MediaFixtures.h"

#include "TestFiles.h"
#include "TiffRawWriter.h"

#include <QColorSpace>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

namespace MediaFixtures {

namespace {

constexpr quint32 canonSerial = 2718281828u;
const QString gps = "-GPSLatitude=48.8583 -GPSLatitudeRef=N -GPSLongitude=2.2945 -GPSLongitudeRef=E ";
const QStringList photos {"jpg", "png", "webp", "heic"}, movies {"mp4", "mov"};

QStringList args(const QString &words)
{
    return words.split(u' ', Qt::SkipEmptyParts);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
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

QByteArray bytesOf(quint32 value, bool bigEndian)
{
    QByteArray bytes(4, '\0');
    bigEndian ? qToBigEndian(value, bytes.data()) : qToLittleEndian(value, bytes.data());
    return bytes;
}

QStringList clip(const QString &audioCodec)
{
    return args("-v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=1 -f lavfi -i sine=duration=1 -c:v libx264 -c:a "
                + audioCodec + " -metadata title=" + title + " -metadata artist=" + author + " -metadata comment="
                + comment + " -metadata creation_time=2019-03-04T05:06:07Z");
}

void makePhoto(const QString &path, const QString &extension)
{
    const QString profile = path + ".icc";
    writeFile(profile, QColorSpace(QColorSpace::DisplayP3).iccProfile());
    if (extension == "jpg" || extension == "png") {
        if (!TestFiles::writeImage(path, extension == "jpg" ? "JPEG" : "PNG"))
            qFatal("cannot write %s", qPrintable(path));
    } else {
        // ImageMagick's HEIC writer drops the profile; libheif's encoder keeps it.
        const QString source = path + ".png";
        TestFiles::writeImage(source, "PNG");
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
    writeFile(note, QByteArray(attachment) + '\n');
    writeFile(font, QByteArray("\0\1\0\0 not really a font", 24));
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
    writeFile(written, TestFiles::pdfBytes({
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
// come from TiffRawWriter.
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
        const QHash<QString, QByteArrayList> cameras {{"dng", {"Tessaly", "RawCam 1"}}, {"cr3", {"Canon", "Canon EOS R"}},
                                                      {"nef", {"NIKON CORPORATION", "NIKON D700"}}, {"arw", {"SONY", "ILCE-7RM2"}}};
        const QByteArrayList camera = cameras.value(extension);
        if (camera.isEmpty())
            qFatal("no fixture for .%s", qPrintable(extension));
        const TiffRawWriter::Identity identity {camera[0], camera[1], author, title, exifDate, serial, owner, comment};
        QByteArray sample;
        for (int i = 0; i < 4096; ++i)
            sample.append(char((i * 37 + 11) % 256));
        writeFile(path, extension == "cr3" ? TiffRawWriter::buildCr3(identity, canonSerial, movieSeconds(), sample)
                                           : TiffRawWriter::build(extension == "dng", identity));
    }
    plant(path, args(tags));
}

} // namespace

QString program(const QString &name)
{
    if (name == "exiftool")
        return TestFiles::bundledExifTool();
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

QString make(const QString &directory, const QString &extension, const QString &name)
{
    const QString path = QDir(directory).absoluteFilePath(name.isEmpty() ? "sample." + extension : name);
    if (photos.contains(extension)) {
        makePhoto(path, extension);
    } else if (movies.contains(extension)) {
        run("ffmpeg", clip("aac") << path);
        plant(path, {"-XMP-dc:Creator=" + QString(creator), "-Keys:Author=" + QString(owner),
                     "-GPSCoordinates=48.8583, 2.2945"});
    } else if (extension == "mkv") {
        makeMatroska(path);
    } else if (extension == "pdf") {
        makePdf(path);
    } else {
        makeRaw(path, extension);
    }
    return path;
}

QList<QByteArray> planted(const QString &extension)
{
    if (photos.contains(extension))
        return {author, serial, owner, creator, title, exifDate};
    if (movies.contains(extension))
        return {title, author, comment, creator, owner, "+48.8583", bytesOf(movieSeconds(), true)};
    if (extension == "mkv")
        return {title, author, comment, serial, owner, attachment};
    if (extension == "pdf")
        return {author, title, comment, creator, "20190304"};
    if (extension == "cr2")
        return {author, title, comment, owner, creator, bytesOf(canonSerial, false), "F0423075", "2009:07:21"};
    if (extension == "cr3")
        return {author, title, comment, serial, owner, creator, exifDate, bytesOf(canonSerial, false),
                bytesOf(movieSeconds(), true)};
    return {author, title, comment, serial, owner, creator, exifDate};
}

QByteArray rendering(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (photos.contains(extension))
        return run("convert", {path, "-auto-orient", "-depth", "8", "ppm:-"});
    // No decoder draws the made-up CR3: what a decoder would be given must stay.
    if (extension == "cr3")
        return TiffRawWriter::firstSample(TestFiles::readAll(path));
    if (QStringList {"cr2", "nef", "arw", "dng"}.contains(extension))
        return run("dcraw_emu", {"-w", "-Z", "-", path});
    if (movies.contains(extension) || extension == "mkv")
        return run("ffmpeg", QStringList {"-v", "error", "-i", path} + args("-map 0:v -map 0:a -f framemd5 -"));
    if (extension == "pdf")
        return run("pdftoppm", {"-r", "36", path});
    qFatal("no rendering for %s", qPrintable(path));
}

QByteArray iccProfile(const QString &path)
{
    return run("exiftool", {"-b", "-ICC_Profile", path});
}

QByteArray everythingIn(const QString &path)
{
    QByteArray bytes = TestFiles::readAll(path);
    if (path.endsWith(".pdf"))
        bytes += run("qpdf", {"--qdf", "--object-streams=disable", path, "-"});
    return bytes;
}

QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles)
{
    QList<QByteArray> present = needles;
    present.removeIf([&bytes](const QByteArray &needle) { return !bytes.contains(needle); });
    return present;
}

} // namespace MediaFixtures
