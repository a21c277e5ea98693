#include <FileItem.h>
#include <SupportedFormat.h>

#include <QTest>

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void itemFromUrl_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extension");

        QTest::newRow("upper-case extension") << QUrl::fromLocalFile("/p/Photo.JPG") << "Photo.JPG" << "jpg";
        QTest::newRow("last dot wins") << QUrl::fromLocalFile("/p/archive.tar.gz") << "archive.tar.gz" << "gz";
        QTest::newRow("no extension") << QUrl::fromLocalFile("/p/README") << "README" << "";
        QTest::newRow("hidden file") << QUrl::fromLocalFile("/p/.jpg") << ".jpg" << "";
        QTest::newRow("trailing dot") << QUrl::fromLocalFile("/p/photo.") << "photo." << "";
        QTest::newRow("dot in folder only") << QUrl::fromLocalFile("/p/my.photos/raw") << "raw" << "";
        QTest::newRow("percent-encoded name")
            << QUrl(QStringLiteral("file:///p/caf%C3%A9%20%231.HEIC")) << QStringLiteral(u"café #1.HEIC") << "heic";
        QTest::newRow("folder URL with trailing slash") << QUrl(QStringLiteral("file:///p/album.pdf/")) << "album.pdf" << "pdf";
    }

    void itemFromUrl()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, fileName);
        QFETCH(QString, extension);

        const FileItem item = FileItem::fromUrl(url);
        QCOMPARE(item.url, url);
        QCOMPARE(item.fileName, fileName);
        QCOMPARE(item.fileExtension, extension);
        QCOMPARE(item.status, FileStatus::pending);
        QVERIFY(item.metadataBefore.isEmpty() && item.metadataAfter.isEmpty() && !item.errorMessage && !item.id.isNull());
    }

    void itemsAreComparedByIdOnly()
    {
        const QUrl url = QUrl::fromLocalFile("/p/a.jpg");
        const FileItem first = FileItem::fromUrl(url);
        const FileItem second = FileItem::fromUrl(url);
        QVERIFY(first.id != second.id);
        QVERIFY(!(first == second));

        FileItem changed = first;
        changed.status = FileStatus::done;
        changed.metadataAfter.insert("Artist", "x");
        QVERIFY(changed == first);
    }

    // Groups per format are checked through the row icons (tst_filekind).
    void parsingIsExactAndCaseSensitive()
    {
        QCOMPARE(parseSupportedFormat(u"jpg"), SupportedFormat::jpg);
        QCOMPARE(parseSupportedFormat(u"jpeg"), SupportedFormat::jpeg);
        for (const char16_t *wrong : {u"JPEG", u"Jpg", u" jpg", u"jp", u"", u"gz"})
            QVERIFY2(!parseSupportedFormat(wrong), qPrintable(QString::fromUtf16(wrong)));
        // Every raw value round-trips, in the declared order.
        QCOMPARE(allSupportedFormats.size(), std::size_t(14));
        for (SupportedFormat format : allSupportedFormats)
            QCOMPARE(parseSupportedFormat(rawValue(format)), format);
        QCOMPARE(rawValue(allSupportedFormats.front()), "jpg");
        QCOMPARE(rawValue(allSupportedFormats.back()), "pdf");
        QVERIFY(isCameraRaw(SupportedFormat::cr2) && isCameraRaw(SupportedFormat::dng) && !isCameraRaw(SupportedFormat::webp));
    }
};

QTEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
