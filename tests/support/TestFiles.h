#pragma once

#include <QByteArray>
#include <QSize>
#include <QStringList>

// Real files for tests, made on the spot, their metadata planted with the
// exiftool the build bundles.
namespace TestFiles {

QString resourceDirectory(); // the bundled tool's folder, as the app sees it
QString bundledExifTool();
QByteArray runExifTool(const QStringList &arguments); // its output; aborts when it fails
// A picture with a gradient (so pixel comparisons mean something).
bool writeImage(const QString &path, const char *format, QSize size = QSize(64, 48));
// EXIF Artist and Creator "Jane Marker", serial "SN-424242", GPS.
QString makeJpegWithMetadata(const QString &directory, const QString &name = QStringLiteral("photo.jpg"));
// Text chunks: Author "Jane Marker", Comment.
QString makePngWithMetadata(const QString &directory, const QString &name = QStringLiteral("image.png"));
// One page; the Info dictionary names the author "Jane Marker" and a title.
QString makePdfWithMetadata(const QString &directory, const QString &name = QStringLiteral("doc.pdf"));
// A PDF of `objects`, numbered from 1 (the catalog first), with its cross-reference table;
// `trailer` holds the trailer's entries beyond /Size and /Root.
QByteArray pdfBytes(const QList<QByteArray> &objects, const QByteArray &trailer = "/Info 5 0 R");
QByteArray readAll(const QString &path);
// Live (not zombie) children of this process whose command line contains `needle`, sorted.
QList<qint64> liveChildren(const QByteArray &needle);

} // namespace TestFiles
