#include <FileItem.h>
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
    }
};

QTEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
