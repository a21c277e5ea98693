#include "TestFiles.h"

#include "MediaFixtures.h"

#include <ToolLocator.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

namespace TestFiles {

QString resourceDirectory()
{
    return ToolPaths::installed().resourceDirectory;
}

QString bundledExifTool()
{
    const auto path = ToolPaths::installed().exiftool();
    if (!path)
        qFatal("no bundled exiftool under %s", qPrintable(resourceDirectory()));
    return *path;
}

QByteArray runExifTool(const QStringList &arguments)
{
    return MediaFixtures::run("exiftool", arguments);
}

bool writeImage(const QString &path, const char *format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), 128));
    return image.save(path, format, 95);
}

static QString makeImage(const QString &directory, const QString &name, const char *format, const QStringList &tags)
{
    const QString path = QDir(directory).absoluteFilePath(name);
    if (!writeImage(path, format))
        qFatal("cannot write %s", qPrintable(path));
    runExifTool(QStringList{"-overwrite_original"} + tags << path);
    return path;
}

QString makeJpegWithMetadata(const QString &directory, const QString &name)
{
    return makeImage(directory, name, "JPEG",
                     {"-EXIF:Artist=Jane Marker", "-EXIF:Make=TessalyCam", "-EXIF:SerialNumber=SN-424242",
                      "-GPSLatitude=48.8583", "-GPSLatitudeRef=N", "-GPSLongitude=2.2945", "-GPSLongitudeRef=E",
                      "-XMP-dc:Creator=Jane Marker"});
}

QString makePngWithMetadata(const QString &directory, const QString &name)
{
    return makeImage(directory, name, "PNG", {"-PNG:Author=Jane Marker", "-PNG:Comment=secret comment"});
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

QString makePdfWithMetadata(const QString &directory, const QString &name)
{
    const QByteArray pdf = pdfBytes({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
        "<< /Length 34 >>\nstream\n0 0 1 rg 20 20 160 160 re f\nendstream",
        "<< /Author (Jane Marker) /Title (Secret Plans) /Producer (TessalyTest) >>",
    });
    QFile file(QDir(directory).absoluteFilePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<qint64> liveChildren(const QByteArray &needle)
{
    QList<qint64> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(entry));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (entry.toLongLong() > 0 && fields.size() > 1 && fields[1].toLongLong() == QCoreApplication::applicationPid()
            && fields[0] != "Z"
            && readAll(QStringLiteral("/proc/%1/cmdline").arg(entry)).replace('\0', ' ').contains(needle))
            found.append(entry.toLongLong());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace TestFiles
