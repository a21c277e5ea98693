#include <Fixtures.h>

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

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runHelper(const QStringList &arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/../libexec/tessaly/tessaly-pdf-clean", arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        qFatal("the helper did not finish");
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
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
    return Fixtures::pdfBytes(objects + extraObjects, trailerExtra);
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
    QString m_photo;
    QByteArray m_photoBytes;
};

void TestPdfClean::initTestCase()
{
    m_photo = Fixtures::make(m_dir.path(), "jpg"); // a camera photo: EXIF with GPS, XMP
    m_photoBytes = Fixtures::readAll(m_photo);
}

QString TestPdfClean::makeFixture(const QString &kind, const QString &directory)
{
    const QString pdf = directory + u"/in.pdf"_qs;
    const auto img2pdf = [&] { Fixtures::run("img2pdf", {m_photo, "-o", pdf}); };
    if (kind == u"owner password only") {
        img2pdf();
        Fixtures::run("qpdf", {"--encrypt", "", "owner", "256", "--", pdf, directory + "/locked.pdf"});
        return directory + "/locked.pdf";
    } else if (kind == u"existing output") {
        img2pdf();
        Fixtures::writeAll(directory + u"/out.pdf"_qs, "someone else's file");
    } else if (kind == u"flate over jpeg") {
        Fixtures::writeAll(pdf, onePicturePdf("[/FlateDecode /DCTDecode]", qCompress(m_photoBytes).mid(4),
                                    {}, {}, "/DecodeParms [null null]"));
    } else if (kind == u"per-object metadata") {
        const QByteArray xmp = stream("/Type /Metadata /Subtype /XML", "<x:xmpmeta>TsyXmpQ7x</x:xmpmeta>");
        Fixtures::writeAll(pdf, onePicturePdf("/DCTDecode", m_photoBytes, "/Metadata 6 0 R",
                                    "/PieceInfo << /Tsy << /Private (TsyPieceQ7x) >> >>", "/Metadata 7 0 R",
                                    {xmp, xmp}));
    } else if (kind == u"trailer") {
        Fixtures::writeAll(pdf, onePicturePdf("/DCTDecode", m_photoBytes, {}, {}, {}, {"<< /Author (TsyAuthorQ7x) >>"},
                                    "/Info 6 0 R /ID [<5a5a0123456789abcdef0123456789ab> "
                                    "<6b6b0123456789abcdef0123456789ab>] /DocChecksum /TsyChecksumQ7x"));
    } else if (kind == u"not a jpeg") {
        Fixtures::writeAll(pdf, onePicturePdf("[/DCTDecode]", "\xFF\xD8\xFF\xE1\x7F\xFFTsyNotJpegQ7x"));
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

    const Bytes photoMarks = Fixtures::planted("jpg");
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
    const QString output = directory + u"/out.pdf"_qs;
    const QByteArray inputBytes = Fixtures::readAll(input);

    const Run result = runHelper({input, output});
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(Fixtures::readAll(input), inputBytes);
    QVERIFY2(!result.err.contains(directory.toUtf8()), result.err.constData());

    const QByteArray written = Fixtures::readAll(output);
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
        QVERIFY2(reported.contains(entry), qPrintable(entry + u" in "_qs + QString::fromUtf8(result.out)));

    if (picturesCleaned > 0)
        QCOMPARE(Fixtures::pictureTagsIn(output), QByteArray());
    QCOMPARE(Fixtures::rendering(output), Fixtures::rendering(input));

    // Cleaning the cleaned file finds nothing left to take.
    const Run again = runHelper({output, directory + "/again.pdf"});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(again.out).object().value(u"picturesCleaned").toInt(), 0);
}

QTEST_GUILESS_MAIN(TestPdfClean)
#include "tst_pdfclean.moc"
