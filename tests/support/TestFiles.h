#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// Real files for tests, made on the spot. Metadata is planted with the
// exiftool that the build bundles, so the tests never depend on one in PATH.
namespace TestFiles {

// The bundled tool and its folder, as the app sees them.
QString resourceDirectory();
QString bundledExifTool();

// Runs the bundled exiftool with `arguments`; fails the calling test on a
// non-zero exit. Returns standard output.
QByteArray runExifTool(const QStringList &arguments);

// A picture with a gradient (so pixel comparisons mean something).
bool writeImage(const QString &path, const char *format, QSize size = QSize(64, 48));

// A JPEG carrying EXIF (Artist, camera serial), GPS and XMP (creator).
QString makeJpegWithMetadata(const QString &directory, const QString &name = QStringLiteral("photo.jpg"));

// A PNG carrying text chunks (Author, Comment).
QString makePngWithMetadata(const QString &directory, const QString &name = QStringLiteral("image.png"));

// A one-page PDF whose Info dictionary names an author and a title.
QString makePdfWithMetadata(const QString &directory, const QString &name = QStringLiteral("doc.pdf"));

// A PDF of `objects` (numbered from 1: the catalog, ..., the Info dictionary
// as object 5) with a correct cross-reference table.
QByteArray pdfBytes(const QList<QByteArray> &objects);

QByteArray readAll(const QString &path);

} // namespace TestFiles
