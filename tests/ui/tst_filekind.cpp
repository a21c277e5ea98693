#include <AcceptedFileTypes.h>
#include <FileKind.h>

#include <SupportedFormat.h>

#include <QTest>

// The row icon and tint per format group, and the dialog's filters.
class TestFileKind : public QObject
{
    Q_OBJECT

private slots:
    void iconAndTint_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("tint");
        for (const char *image : {"jpg", "jpeg", "png", "heic", "webp", "cr2", "cr3", "nef", "arw", "dng"})
            QTest::newRow(image) << QString::fromLatin1(image) << u"photo"_qs << u"blue"_qs;
        for (const char *video : {"mp4", "mov", "mkv"})
            QTest::newRow(video) << QString::fromLatin1(video) << u"video"_qs << u"purple"_qs;
        QTest::newRow("pdf") << u"pdf"_qs << u"doc.text"_qs << u"orange"_qs;
        QTest::newRow("txt") << u"txt"_qs << u"doc"_qs << u"secondary"_qs;
        QTest::newRow("tiff (not supported)") << u"tiff"_qs << u"doc"_qs << u"secondary"_qs;
        QTest::newRow("no extension") << QString() << u"doc"_qs << u"secondary"_qs;
    }

    void iconAndTint()
    {
        QFETCH(QString, extension);
        const FileKind kind = FileKind::forExtension(extension);
        QTEST(kind.symbol, "symbol");
        QTEST(kind.tint, "tint");
    }

    void dialogFiltersCoverEveryFormatInBothCases()
    {
        const QStringList patterns = AcceptedFileTypes::allowedContentTypes();
        QCOMPARE(patterns.size(), qsizetype(2 * allSupportedFormats.size()));
        for (SupportedFormat format : allSupportedFormats) {
            const QString extension = rawValue(format);
            QVERIFY2(patterns.contains(u"*."_qs + extension) && patterns.contains(u"*."_qs + extension.toUpper()),
                     qPrintable(extension));
        }
        QCOMPARE(AcceptedFileTypes::nameFilters(), QStringList{patterns.join(u' ')});
    }
};

QTEST_GUILESS_MAIN(TestFileKind)
#include "tst_filekind.moc"
