#include "TestFiles.h"

#include <ToolLocator.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTest>

namespace TestFiles {

QString resourceDirectory()
{
    return ToolLocator::defaultResourceDirectory();
}

QString bundledExifTool()
{
    const auto path = ToolLocator::locateExifTool(resourceDirectory());
    if (!path)
        qFatal("no bundled exiftool under %s", qPrintable(resourceDirectory()));
    return *path;
}

QByteArray runExifTool(const QStringList &arguments)
{
    QProcess process;
    process.start(bundledExifTool(), arguments);
    process.waitForFinished(120000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("exiftool %s failed: %s", qPrintable(arguments.join(u' ')),
               process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

bool writeImage(const QString &path, const char *format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), 128));
    return image.save(path, format, 95);
}

QString makeJpegWithMetadata(const QString &directory, const QString &name)
{
    const QString path = QDir(directory).absoluteFilePath(name);
    if (!writeImage(path, "JPEG"))
        qFatal("cannot write %s", qPrintable(path));
    runExifTool({QStringLiteral("-overwrite_original"),
                 QStringLiteral("-EXIF:Artist=Jane Marker"),
                 QStringLiteral("-EXIF:Make=TessalyCam"),
                 QStringLiteral("-EXIF:SerialNumber=SN-424242"),
                 QStringLiteral("-GPSLatitude=48.8583"), QStringLiteral("-GPSLatitudeRef=N"),
                 QStringLiteral("-GPSLongitude=2.2945"), QStringLiteral("-GPSLongitudeRef=E"),
                 QStringLiteral("-XMP-dc:Creator=Jane Marker"),
                 path});
    return path;
}

QString makePngWithMetadata(const QString &directory, const QString &name)
{
    const QString path = QDir(directory).absoluteFilePath(name);
    if (!writeImage(path, "PNG"))
        qFatal("cannot write %s", qPrintable(path));
    runExifTool({QStringLiteral("-overwrite_original"),
                 QStringLiteral("-PNG:Author=Jane Marker"),
                 QStringLiteral("-PNG:Comment=secret comment"),
                 path});
    return path;
}

QByteArray pdfBytes(const QList<QByteArray> &objects)
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
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R /Info 5 0 R >>\n";
    pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
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
    const QString path = QDir(directory).absoluteFilePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace TestFiles
