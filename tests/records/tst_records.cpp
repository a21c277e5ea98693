#include <CleanResult.h>
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
        QVERIFY(item.metadataBefore.isEmpty());
        QVERIFY(item.metadataAfter.isEmpty());
        QVERIFY(!item.errorMessage.has_value());
        QVERIFY(!item.id.isNull());
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

    void parsingIsExactAndCaseSensitive()
    {
        QCOMPARE(parseSupportedFormat(u"jpg"), SupportedFormat::jpg);
        QCOMPARE(parseSupportedFormat(u"jpeg"), SupportedFormat::jpeg);
        QVERIFY(parseSupportedFormat(u"jpg") != parseSupportedFormat(u"jpeg"));
        QVERIFY(!parseSupportedFormat(u"JPEG"));
        QVERIFY(!parseSupportedFormat(u"Jpg"));
        QVERIFY(!parseSupportedFormat(u" jpg"));
        QVERIFY(!parseSupportedFormat(u"jp"));
        QVERIFY(!parseSupportedFormat(u""));
        QVERIFY(!parseSupportedFormat(u"gz"));

        // Every raw value round-trips, in the declared order.
        QCOMPARE(allSupportedFormats.size(), std::size_t(14));
        for (SupportedFormat format : allSupportedFormats)
            QCOMPARE(parseSupportedFormat(rawValue(format)), format);
        QCOMPARE(rawValue(allSupportedFormats.front()), "jpg");
        QCOMPARE(rawValue(allSupportedFormats.back()), "pdf");
    }

    void groups()
    {
        const QStringList images{"jpg", "jpeg", "png", "heic", "webp", "cr2", "cr3", "nef", "arw", "dng"};
        const QStringList videos{"mp4", "mov", "mkv"};
        for (const QString &raw : images)
            QCOMPARE(groupOf(*parseSupportedFormat(raw)), FormatGroup::image);
        for (const QString &raw : videos)
            QCOMPARE(groupOf(*parseSupportedFormat(raw)), FormatGroup::video);
        QCOMPARE(groupOf(SupportedFormat::pdf), FormatGroup::document);

        QVERIFY(isCameraRaw(SupportedFormat::cr2));
        QVERIFY(isCameraRaw(SupportedFormat::dng));
        QVERIFY(!isCameraRaw(SupportedFormat::webp));
        QVERIFY(!isCameraRaw(SupportedFormat::mp4));
    }

    void cleanResultShapes()
    {
        const QUuid id = QUuid::createUuid();
        const CleanResult ok = CleanResult::succeeded(id, {{"A", "1"}}, {});
        QVERIFY(ok.success);
        QVERIFY(!ok.errorMessage);
        QCOMPARE(ok.metadataBefore.value("A"), "1");

        const CleanResult failed = CleanResult::failed(id, "boom");
        QVERIFY(!failed.success);
        QCOMPARE(failed.errorMessage, std::optional<QString>("boom"));
        QVERIFY(failed.metadataBefore.isEmpty() && failed.metadataAfter.isEmpty());
        QCOMPARE(failed.id, id);
    }
};

QTEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
