#include "MediaFixtures.h"

#include "TestFiles.h"
#include "TiffRawWriter.h"

#include <QColorSpace>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>

namespace MediaFixtures {

namespace {

QString pathIn(const QString &directory, const QString &name)
{
    return QDir(directory).absoluteFilePath(name);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray runAccepting(const QString &name, const QStringList &arguments, std::initializer_list<int> exitCodes)
{
    QProcess process;
    process.start(program(name), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || std::find(exitCodes.begin(), exitCodes.end(), process.exitCode()) == exitCodes.end()) {
        qFatal("%s %s failed (%d): %s", qPrintable(name), qPrintable(arguments.join(u' ')), process.exitCode(),
               process.readAllStandardError().constData());
    }
    return process.readAllStandardOutput();
}

const QStringList gpsTags {
    QStringLiteral("-GPSLatitude=48.8583"), QStringLiteral("-GPSLatitudeRef=N"),
    QStringLiteral("-GPSLongitude=2.2945"), QStringLiteral("-GPSLongitudeRef=E"),
};

QString displayP3Profile(const QString &directory)
{
    const QString path = pathIn(directory, QStringLiteral("display-p3.icc"));
    writeFile(path, QColorSpace(QColorSpace::DisplayP3).iccProfile());
    return path;
}

QByteArray pdfWithInfoAndXmp()
{
    const QByteArray xmp =
        "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator><rdf:Seq><rdf:li>"
        + QByteArray(creator) + "</rdf:li></rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta>"
        "<?xpacket end=\"w\"?>";
    const QByteArray content = "0 0 1 rg 20 20 160 160 re f 1 0 0 rg 60 60 40 80 re f";
    const QList<QByteArray> objects {
        "<< /Type /Catalog /Pages 2 0 R /Metadata 6 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Author (" + QByteArray(author) + ") /Title (" + QByteArray(title) + ") /Subject (" + QByteArray(comment)
            + ") /CreationDate (D:20190304050607Z) >>",
        "<< /Type /Metadata /Subtype /XML /Length " + QByteArray::number(xmp.size()) + " >>\nstream\n" + xmp
            + "\nendstream",
    };
    QByteArray pdf = "%PDF-1.6\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R /Info 5 0 R >>\n";
    pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

constexpr quint32 canonSerial = 2718281828u;

// A second of test picture and tone, with a title, artist, comment and date.
QStringList clipArguments(const QString &audioCodec)
{
    return {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=size=64x48:rate=10:duration=1"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=1"),
            QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-c:a"), audioCodec,
            QStringLiteral("-metadata"), QStringLiteral("title=") + title,
            QStringLiteral("-metadata"), QStringLiteral("artist=") + author,
            QStringLiteral("-metadata"), QStringLiteral("comment=") + comment,
            QStringLiteral("-metadata"), QStringLiteral("creation_time=2019-03-04T05:06:07Z")};
}

} // namespace

QString program(const QString &name)
{
    // Metadata is planted and read back by the exiftool the app ships.
    if (name == QLatin1String("exiftool"))
        return TestFiles::bundledExifTool();
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        qFatal("%s is not installed (scripts/deps.sh test installs it)", qPrintable(name));
    return path;
}

QByteArray run(const QString &name, const QStringList &arguments)
{
    // qpdf's 3 is "succeeded with warnings": it repaired something on the way.
    if (name == QLatin1String("qpdf"))
        return runAccepting(name, arguments, {0, 3});
    return runAccepting(name, arguments, {0});
}

QString makePhoto(const QString &directory, const QString &extension)
{
    const QString path = pathIn(directory, QStringLiteral("photo.") + extension);
    if (extension == QLatin1String("jpg") || extension == QLatin1String("png")) {
        if (!TestFiles::writeImage(path, extension == QLatin1String("jpg") ? "JPEG" : "PNG"))
            qFatal("cannot write %s", qPrintable(path));
    } else if (extension == QLatin1String("heic")) {
        // ImageMagick's HEIC writer drops the profile; libheif's own encoder keeps it.
        const QString source = pathIn(directory, QStringLiteral("source.png"));
        TestFiles::writeImage(source, "PNG");
        run(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                         QStringLiteral("-ICC_Profile<=") + displayP3Profile(directory), source});
        run(QStringLiteral("heif-enc"), {QStringLiteral("-o"), path, source});
        QFile::remove(source);
    } else {
        const QString source = pathIn(directory, QStringLiteral("source.png"));
        TestFiles::writeImage(source, "PNG");
        run(QStringLiteral("convert"), {source, path});
        QFile::remove(source);
    }
    QStringList tags {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Orientation#=6"),
                      QStringLiteral("-EXIF:Artist=") + author, QStringLiteral("-ExifIFD:SerialNumber=") + serial,
                      QStringLiteral("-ExifIFD:OwnerName=") + owner,
                      QStringLiteral("-EXIF:DateTimeOriginal=") + exifDate,
                      QStringLiteral("-XMP-dc:Creator=") + creator, QStringLiteral("-XMP-dc:Title=") + title};
    tags += gpsTags;
    // exiftool cannot add a profile to a HEIC: it came with the encoding.
    if (extension != QLatin1String("heic"))
        tags << QStringLiteral("-ICC_Profile<=") + displayP3Profile(directory);
    tags << path;
    run(QStringLiteral("exiftool"), tags);
    return path;
}

QString makeMovie(const QString &directory, const QString &extension)
{
    const QString path = pathIn(directory, QStringLiteral("clip.") + extension);
    run(QStringLiteral("ffmpeg"), clipArguments(QStringLiteral("aac")) << path);
    run(QStringLiteral("exiftool"),
        {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-XMP-dc:Creator=") + creator,
         QStringLiteral("-Keys:Author=") + owner, QStringLiteral("-GPSCoordinates=48.8583, 2.2945"), path});
    return path;
}

QByteArray movieHeaderDate()
{
    // QuickTime counts seconds from 1904, big-endian, in 32 bits.
    const qint64 seconds = QDateTime(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC)
                               .secsTo(QDateTime(QDate(2019, 3, 4), QTime(5, 6, 7), Qt::UTC));
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(seconds), bytes.data());
    return bytes;
}

QString makeMatroska(const QString &directory)
{
    const QString path = pathIn(directory, QStringLiteral("film.mkv"));
    const QString note = pathIn(directory, QStringLiteral("note.txt"));
    const QString font = pathIn(directory, QStringLiteral("face.ttf"));
    writeFile(note, QByteArray(attachment) + '\n');
    writeFile(font, QByteArray("\0\1\0\0 not really a font", 24));
    run(QStringLiteral("ffmpeg"), clipArguments(QStringLiteral("libvorbis")) << QStringList {
         QStringLiteral("-metadata:s:v:0"), QStringLiteral("title=") + serial,
         QStringLiteral("-metadata:s:a:0"), QStringLiteral("title=") + owner,
         QStringLiteral("-attach"), note, QStringLiteral("-metadata:s:t:0"), QStringLiteral("mimetype=text/plain"),
         QStringLiteral("-attach"), font, QStringLiteral("-metadata:s:t:1"), QStringLiteral("mimetype=font/ttf"),
         path});
    QFile::remove(note);
    QFile::remove(font);
    return path;
}

QString makePdf(const QString &directory, const QString &name)
{
    const QString written = pathIn(directory, QStringLiteral("written.pdf"));
    const QString path = pathIn(directory, name);
    writeFile(written, pdfWithInfoAndXmp());
    run(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), QStringLiteral("--compress-streams=y"),
                                 written, path});
    QFile::remove(written);
    return path;
}

QString makeRaw(const QString &directory, const QString &extension)
{
    const QString path = pathIn(directory, QStringLiteral("raw.") + extension);
    QStringList tags {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                      QStringLiteral("-XMP-dc:Creator=") + creator, QStringLiteral("-IPTC:By-line=") + author,
                      QStringLiteral("-IPTC:ObjectName=") + title};
    tags += gpsTags;
    if (extension == QLatin1String("cr2")) {
        const QString sample = QStringLiteral("/usr/share/doc/rawtran/IMG_5952.CR2");
        if (!QFile::exists(sample))
            qFatal("%s is missing: scripts/deps.sh test installs rawtran-doc", qPrintable(sample));
        QFile::remove(path);
        if (!QFile::copy(sample, path))
            qFatal("cannot copy %s", qPrintable(sample));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        tags << QStringLiteral("-Artist=") + author << QStringLiteral("-Copyright=") + title
             << QStringLiteral("-ImageDescription=") + comment << QStringLiteral("-Canon:OwnerName=") + owner
             << QStringLiteral("-Canon:SerialNumber=%1").arg(canonSerial);
    } else {
        TiffRawWriter::Identity identity;
        TiffRawWriter::Layout layout = TiffRawWriter::Layout::dng;
        if (extension == QLatin1String("dng")) {
            identity.make = "Tessaly";
            identity.model = "RawCam 1";
        } else if (extension == QLatin1String("cr3")) {
            identity.make = "Canon";
            identity.model = "Canon EOS R";
        } else if (extension == QLatin1String("nef")) {
            layout = TiffRawWriter::Layout::nef;
            identity.make = "NIKON CORPORATION";
            identity.model = "NIKON D700";
        } else {
            layout = TiffRawWriter::Layout::arw;
            identity.make = "SONY";
            identity.model = "ILCE-7RM2";
        }
        identity.artist = author;
        identity.copyright = title;
        identity.imageDescription = comment;
        identity.dateTime = exifDate;
        identity.software = "Firmware 1.00";
        identity.bodySerial = serial;
        identity.ownerName = owner;
        QByteArray sample;
        for (int i = 0; i < 4096; ++i)
            sample.append(char((i * 37 + 11) % 256));
        const QByteArray file = extension == QLatin1String("cr3")
                                    ? TiffRawWriter::buildCr3(identity, canonSerial, sample, 6)
                                    : TiffRawWriter::build(layout, identity, 64, 48, 6);
        if (!TiffRawWriter::write(path, file))
            qFatal("cannot write %s", qPrintable(path));
    }
    tags << path;
    run(QStringLiteral("exiftool"), tags);
    return path;
}

QByteArray canonSerialBytes()
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(canonSerial, bytes.data());
    return bytes;
}

QByteArray rendering(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (QStringList{"jpg", "jpeg", "png", "webp", "heic"}.contains(extension))
        return run(QStringLiteral("convert"), {path, QStringLiteral("-auto-orient"), QStringLiteral("-depth"),
                                               QStringLiteral("8"), QStringLiteral("ppm:-")});
    // No decoder draws the made-up CR3: what a decoder would be given must stay.
    if (extension == QLatin1String("cr3"))
        return TiffRawWriter::firstSample(TestFiles::readAll(path));
    if (QStringList{"cr2", "nef", "arw", "dng"}.contains(extension))
        return run(QStringLiteral("dcraw_emu"), {QStringLiteral("-w"), QStringLiteral("-Z"), QStringLiteral("-"), path});
    if (QStringList{"mp4", "mov", "mkv"}.contains(extension))
        return run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                              QStringLiteral("-map"), QStringLiteral("0:v"), QStringLiteral("-map"),
                                              QStringLiteral("0:a"), QStringLiteral("-f"), QStringLiteral("framemd5"),
                                              QStringLiteral("-")});
    if (extension == QLatin1String("pdf"))
        return run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), path});
    qFatal("no rendering for %s", qPrintable(path));
}

QByteArray iccProfile(const QString &path)
{
    return run(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-ICC_Profile"), path});
}

QByteArray expandedPdf(const QString &path)
{
    return run(QStringLiteral("qpdf"), {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), path,
                                        QStringLiteral("-")});
}

QList<QByteArray> found(const QByteArray &bytes, const QList<QByteArray> &needles)
{
    QList<QByteArray> present;
    for (const QByteArray &needle : needles) {
        if (bytes.contains(needle))
            present.append(needle);
    }
    return present;
}

} // namespace MediaFixtures
