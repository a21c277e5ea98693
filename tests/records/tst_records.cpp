#include <Failure.h>
#include <FileItem.h>
#include <LocalName.h>
#include <SupportedFormat.h>

#include <QTest>

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
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

        // Names are shared between rows up to a cap; a file bringing more
        // names than that still gets every one of them back.
        MetadataTable many;
        for (int i = 0; i < 70'000; ++i)
            many.insert(QStringLiteral("XMP-x:Name%1").arg(i), QString::number(i));
        QCOMPARE(PackedMetadata::pack(many).unpack(), many);
        QCOMPARE(PackedMetadata::pack(plain).unpack(), plain);

        // A cleaned file's list packed against the list before it.
        const PackedMetadata before = PackedMetadata::pack(broken);
        const MetadataTable after{{"Artist", "Jane"}, {"Note", QString(100000, u'x')}, {"Fresh", "value"}};
        QCOMPARE(PackedMetadata::pack(after, before).unpack(), after);
        QCOMPARE(PackedMetadata::pack(broken, PackedMetadata::pack(after, before)).unpack(), broken);
        QCOMPARE(PackedMetadata::pack(after, PackedMetadata::pack({})).unpack(), after);
        QCOMPARE(before.unpack(), broken);
    }

    // Every name is shown whole and visible, and bytes that are no UTF-8
    // survive the trip through a URL.
    void namesAreShownWholeAndKeptAsBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("photo.jpg") << u"photo.jpg"_qs;
        QTest::newRow("text beyond ASCII") << QByteArray("caf\xc3\xa9 \xf0\x9f\x99\x82.jpg") << u"café 🙂.jpg"_qs;
        QTest::newRow("line break") << QByteArray("a\nb.jpg") << u"a↵b.jpg"_qs;
        QTest::newRow("tab and escape") << QByteArray("a\tb\x1b.jpg") << u"a␉b␛.jpg"_qs;
        QTest::newRow("Latin-1") << QByteArray("caf\xe9.jpg") << u"caf\uFFFDE9.jpg"_qs;
        QTest::newRow("cut sequence") << QByteArray("a\xc3.jpg") << u"a\uFFFDC3.jpg"_qs;
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf.jpg") << u"a\uFFFDC0\uFFFDAF.jpg"_qs;
        QTest::newRow("spaces at the end") << QByteArray("a b.jpg  ") << u"a b.jpg␣␣"_qs;
        QTest::newRow("percent signs") << QByteArray("%41%2F.jpg") << u"%41%2F.jpg"_qs;
    }

    void namesAreShownWholeAndKeptAsBytes()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QCOMPARE(visibleName(name), shown);
        const QByteArray path = "/tmp/dir\xff/" + name;
        const QUrl url = urlForLocalPath(path);
        QVERIFY(url.isLocalFile());
        QCOMPARE(localPathBytes(url), path);
        QCOMPARE(localPathBytes(QUrl(url.toString())), path); // as a drop's text carries it
        QCOMPARE(FileItem::fromUrl(url).fileName, shown);
        QCOMPARE(isTextPath(name), !shown.contains(u'\uFFFD'));
    }

    // A name that ends in spaces is still a .jpg; a name that is only an extension has none.
    void extensionsIgnoreSpacesAtTheEnd()
    {
        QCOMPARE(lowerCasePathExtension(urlForLocalPath("/x/a.JPG  ")), u"jpg"_qs);
        QCOMPARE(lowerCasePathExtension(urlForLocalPath("/x/ .jpg")), u"jpg"_qs);
        QCOMPARE(lowerCasePathExtension(urlForLocalPath("/x/.jpg")), QString());
    }

    // A name is shown as it is, whatever placeholders it looks like it holds.
    void messagesShowNamesAsTheyAre_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("second");
        for (const char *name : {"h%1.jpg", "%2.jpg", "a%1%2.jpg", "%%1 50%.jpg", "%9%10.jpg", "plain.jpg"})
            QTest::newRow(name) << QString::fromUtf8(name) << QStringLiteral("3");
        QTest::newRow("placeholder in the second argument") << QStringLiteral("b%2.jpg") << QStringLiteral("x%1y");
    }

    void messagesShowNamesAsTheyAre()
    {
        QFETCH(QString, name);
        QFETCH(QString, second);
        const QString message = CleanError(CleanError::Kind::hardLinks, {name, second}).description();
        QCOMPARE(message, QStringLiteral("%1 has %2 other names (hard links) that would keep the metadata; it was left "
                                         "unchanged.").arg(name, second));
        QVERIFY(message.startsWith(name + " has " + second + " other names"));
        const QString single = CleanError(CleanError::Kind::notFound, {name}).description();
        QVERIFY2(single.startsWith(name + " was not found;"), qPrintable(single));
    }
};

QTEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
