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
        QTest::newRow("no extension") << QUrl::fromLocalFile("/p/README") << "README" << "";
        QTest::newRow("hidden file") << QUrl::fromLocalFile("/p/.jpg") << ".jpg" << "";
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
        QCOMPARE(item.format, parseSupportedFormat(extension));
        QVERIFY(item.packedBefore.isEmpty() && item.packedAfter.isEmpty() && !item.failure && !item.id.isNull());
    }

    // What a row keeps of its tables comes back whole: keys differing only in
    // case, empty and long values, text outside the BMP, and text no UTF-8
    // can carry (a lone surrogate, as a broken tag may decode to).
    void packedTablesComeBackWhole()
    {
        const MetadataTable plain{{"Artist", "Jane"}, {"artist", ""}, {"Note", QString(100000, u'x')},
                                  {QStringLiteral(u"Tïtle 🙂"), QStringLiteral(u"写真")}};
        MetadataTable broken = plain;
        broken.insert("Comment", QString(QChar(0xD800)) + u'x');
        for (const MetadataTable &table : {plain, broken}) {
            const PackedMetadata packed = PackedMetadata::pack(table);
            QCOMPARE(packed.count(), table.size());
            QCOMPARE(packed.unpack(), table);
        }
        QVERIFY(PackedMetadata::pack({}).isEmpty() && PackedMetadata::pack({}).unpack().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
