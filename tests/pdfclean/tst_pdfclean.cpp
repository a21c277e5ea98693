#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Bytes = QList<QByteArray>;

namespace {

const QByteArray planted[] = {"TsyMakeQ7x", "TsyModelQ7x", "TsyCreatorQ7x", "TsyCommentQ7x"};

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        qFatal("%s did not finish", qPrintable(program));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray tool(const QString &program, const QStringList &arguments)
{
    const Run result = run(program, arguments);
    if (result.exitCode != 0)
        qFatal("%s failed: %s", qPrintable(program), result.err.constData());
    return result.out;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a fixture");
}

QByteArray stream(const QByteArray &dict, const QByteArray &data)
{
    return "<< " + dict + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// One page showing one 64x48 picture; objects 6 and up are the caller's.
QByteArray onePicturePdf(const QByteArray &imageFilter, const QByteArray &image, const QByteArray &catalogExtra = {},
                         const QByteArray &pageExtra = {}, const QByteArray &imageExtra = {},
                         const Bytes &extraObjects = {}, const QByteArray &trailerExtra = {})
{
    Bytes objects{
        "<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 64 48] /Resources << /XObject << /Im0 5 0 R >> >> "
        "/Contents 4 0 R " + pageExtra + " >>",
        stream({}, "q 64 0 0 48 0 0 cm /Im0 Do Q"),
        stream("/Type /XObject /Subtype /Image /Width 64 /Height 48 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
                   "/Filter " + imageFilter + " " + imageExtra,
               image),
    };
    return TestFiles::pdfBytes(objects + extraObjects, trailerExtra);
}

// A page tree nested `depth` levels deep above its only page.
QByteArray deepPageTreePdf(int depth)
{
    Bytes objects{"<< /Type /Catalog /Pages 2 0 R >>"};
    for (int level = 0; level < depth; ++level)
        objects.append("<< /Type /Pages /Kids [" + QByteArray::number(level + 3) + " 0 R] /Count 1 >>");
    objects.append("<< /Type /Page /MediaBox [0 0 10 10] >>");
    return TestFiles::pdfBytes(objects, {});
}

QByteArray renderedPages(const QString &pdf, const QString &directory)
{
    const QString prefix = directory + QStringLiteral("/page");
    tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), pdf, prefix});
    QByteArray pixels;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({QStringLiteral("page*.ppm")}, QDir::Files, QDir::Name)) {
        pixels += readAll(dir.filePath(name));
        QFile::remove(dir.filePath(name));
    }
    return pixels;
}

// What exiftool still finds in the pictures pdfimages takes out of `pdf`.
QByteArray pictureMetadata(const QString &pdf, const QString &directory)
{
    QDir(directory).mkpath(QStringLiteral("images"));
    const QString images = directory + QStringLiteral("/images");
    tool(QStringLiteral("pdfimages"), {QStringLiteral("-all"), pdf, images + QStringLiteral("/img")});
    const QStringList jpegs = QDir(images).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    if (jpegs.isEmpty())
        return "no JPEG extracted";
    QByteArray found;
    for (const QString &name : jpegs) {
        found += tool(QStringLiteral("exiftool"),
                      {QStringLiteral("-s"), QStringLiteral("-s"), QStringLiteral("-GPSLatitude"),
                       QStringLiteral("-Make"), QStringLiteral("-Model"), QStringLiteral("-DateTimeOriginal"),
                       QStringLiteral("-XMP:Creator"), QStringLiteral("-Comment"), images + u'/' + name});
        QFile::remove(images + u'/' + name);
    }
    return found;
}

} // namespace

class TestPdfClean : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clean_data();
    void clean();

private:
    QString makeFixture(const QString &kind, const QString &directory);

    QTemporaryDir m_dir;
    QString m_helper;
    QString m_photo;
    QByteArray m_photoBytes;
};

void TestPdfClean::initTestCase()
{
    m_helper = QCoreApplication::applicationDirPath() + QStringLiteral("/../libexec/tessaly/tessaly-pdf-clean");
    QVERIFY2(QFile::exists(m_helper), qPrintable(m_helper));
    QVERIFY(m_dir.isValid());

    // A camera photo: EXIF with GPS, XMP and a JPEG comment.
    m_photo = m_dir.filePath(QStringLiteral("photo.jpg"));
    tool(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("64x48"),
                                     QStringLiteral("gradient:red-blue"), m_photo});
    tool(QStringLiteral("exiftool"),
         {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Make=TsyMakeQ7x"),
          QStringLiteral("-Model=TsyModelQ7x"), QStringLiteral("-DateTimeOriginal=2019:03:04 05:06:07"),
          QStringLiteral("-GPSLatitude=48.8582"), QStringLiteral("-GPSLatitudeRef=N"),
          QStringLiteral("-XMP:Creator=TsyCreatorQ7x"), QStringLiteral("-Comment=TsyCommentQ7x"), m_photo});
    m_photoBytes = readAll(m_photo);
    for (const QByteArray &mark : planted)
        QVERIFY2(m_photoBytes.contains(mark), mark.constData());
}

QString TestPdfClean::makeFixture(const QString &kind, const QString &directory)
{
    const QString pdf = directory + QStringLiteral("/in.pdf");
    const auto img2pdf = [&] { tool(QStringLiteral("img2pdf"), {m_photo, QStringLiteral("-o"), pdf}); };
    if (kind == u"img2pdf") {
        img2pdf();
    } else if (kind == u"encrypted" || kind == u"owner password only") {
        img2pdf();
        const QString user = kind == u"encrypted" ? QStringLiteral("user") : QString();
        tool(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), user, QStringLiteral("owner"),
                                      QStringLiteral("256"), QStringLiteral("--"), pdf,
                                      directory + QStringLiteral("/locked.pdf")});
        return directory + QStringLiteral("/locked.pdf");
    } else if (kind == u"existing output") {
        img2pdf();
        writeAll(directory + QStringLiteral("/out.pdf"), "someone else's file");
    } else if (kind == u"flate over jpeg") {
        writeAll(pdf, onePicturePdf("[/FlateDecode /DCTDecode]", qCompress(m_photoBytes).mid(4),
                                    {}, {}, "/DecodeParms [null null]"));
    } else if (kind == u"per-object metadata") {
        const QByteArray xmp = stream("/Type /Metadata /Subtype /XML", "<x:xmpmeta>TsyXmpQ7x</x:xmpmeta>");
        writeAll(pdf, onePicturePdf("/DCTDecode", m_photoBytes, "/Metadata 6 0 R",
                                    "/PieceInfo << /Tsy << /Private (TsyPieceQ7x) >> >>", "/Metadata 7 0 R",
                                    {xmp, xmp}));
    } else if (kind == u"trailer") {
        writeAll(pdf, onePicturePdf("/DCTDecode", m_photoBytes, {}, {}, {}, {"<< /Author (TsyAuthorQ7x) >>"},
                                    "/Info 6 0 R /ID [<5a5a0123456789abcdef0123456789ab> "
                                    "<6b6b0123456789abcdef0123456789ab>] /DocChecksum /TsyChecksumQ7x"));
    } else if (kind == u"not a jpeg") {
        writeAll(pdf, onePicturePdf("[/DCTDecode]", "\xFF\xD8\xFF\xE1\x7F\xFFTsyNotJpegQ7x"));
    } else if (kind == u"deep page tree") {
        writeAll(pdf, deepPageTreePdf(100000));
    }
    return pdf;
}

void TestPdfClean::clean_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("picturesCleaned");
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<Bytes>("absent");  // from the output's bytes
    QTest::addColumn<Bytes>("present"); // in the output's bytes

    const Bytes photoMarks(std::begin(planted), std::end(planted));
    QTest::newRow("img2pdf photo") << "img2pdf" << 0 << 1 << QStringList() << photoMarks << Bytes{"JFIF"};
    QTest::newRow("flate over jpeg") << "flate over jpeg" << 0 << 1 << QStringList() << photoMarks
                                     << Bytes{"/Filter /DCTDecode", "JFIF"};
    QTest::newRow("per-object metadata")
        << "per-object metadata" << 0 << 1 << QStringList{"2 /Metadata", "1 /PieceInfo"}
        << (photoMarks + Bytes{"TsyXmpQ7x", "TsyPieceQ7x", "/Metadata", "/PieceInfo"}) << Bytes{};
    QTest::newRow("trailer") << "trailer" << 0 << 1 << QStringList{"trailer /Info", "trailer /ID", "/DocChecksum"}
                             << Bytes{"TsyAuthorQ7x", "TsyChecksumQ7x", "/DocChecksum", "5a5a0123456789ab",
                                      "6b6b0123456789ab"}
                             << Bytes{"/ID"};
    QTest::newRow("not a jpeg") << "not a jpeg" << 0 << 0 << QStringList() << Bytes{}
                                << Bytes{"stream\n\xFF\xD8\xFF\xE1\x7F\xFFTsyNotJpegQ7x\nendstream"};
    QTest::newRow("owner password only") << "owner password only" << 0 << 1 << QStringList{"trailer /ID"}
                                         << Bytes{} << Bytes{"/Encrypt"};
    QTest::newRow("encrypted") << "encrypted" << 3 << -1 << QStringList() << Bytes{} << Bytes{};
    QTest::newRow("deep page tree") << "deep page tree" << 6 << -1 << QStringList() << Bytes{} << Bytes{};
    QTest::newRow("existing output") << "existing output" << 5 << -1 << QStringList() << Bytes{}
                                     << Bytes{"someone else's file"};
}

void TestPdfClean::clean()
{
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    QFETCH(int, picturesCleaned);
    QFETCH(QStringList, removed);
    QFETCH(Bytes, absent);
    QFETCH(Bytes, present);

    const QString directory = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
    QVERIFY(QDir().mkpath(directory));
    const QString input = makeFixture(kind, directory);
    const QString output = directory + QStringLiteral("/out.pdf");
    const QByteArray inputBytes = readAll(input);

    const Run result = run(m_helper, {input, output});
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(readAll(input), inputBytes);
    QVERIFY2(!result.err.contains(directory.toUtf8()), result.err.constData());

    const QByteArray written = readAll(output);
    for (const QByteArray &mark : absent)
        QVERIFY2(!written.contains(mark), mark.constData());
    for (const QByteArray &mark : present)
        QVERIFY2(written.contains(mark), mark.constData());
    if (exitCode != 0) {
        QVERIFY(!result.err.trimmed().isEmpty() && !result.err.trimmed().contains('\n'));
        QCOMPARE(QFile::exists(output), kind == u"existing output");
        return;
    }

    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QCOMPARE(QFile::permissions(output) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(result.out.endsWith('\n') && result.out.count('\n') == 1);
    const QJsonObject report = QJsonDocument::fromJson(result.out).object();
    QCOMPARE(report.value(u"pages").toInt(), 1);
    QCOMPARE(report.value(u"pictures").toInt(), 1);
    QCOMPARE(report.value(u"picturesCleaned").toInt(), picturesCleaned);
    const QVariantList reported = report.value(u"removed").toArray().toVariantList();
    for (const QString &entry : removed)
        QVERIFY2(reported.contains(entry), qPrintable(entry + QStringLiteral(" in ") + QString::fromUtf8(result.out)));

    if (picturesCleaned > 0)
        QCOMPARE(pictureMetadata(output, directory), QByteArray());
    QCOMPARE(renderedPages(output, directory), renderedPages(input, directory));

    // Cleaning the cleaned file finds nothing left to take.
    const Run again = run(m_helper, {output, directory + QStringLiteral("/again.pdf")});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(again.out).object().value(u"picturesCleaned").toInt(), 0);
}

QTEST_GUILESS_MAIN(TestPdfClean)
#include "tst_pdfclean.moc"
