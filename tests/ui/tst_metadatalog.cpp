#include <MetadataLog.h>
#include <Presentation.h>

#include <FileListModel.h>

#include <QTest>

namespace {

QStringList keysOf(const QList<MetadataLog::Entry> &entries)
{
    QStringList keys;
    for (const auto &entry : entries)
        keys << entry.key;
    return keys;
}

QStringList removedOf(const QList<MetadataLog::Entry> &entries)
{
    QStringList keys;
    for (const auto &entry : entries) {
        if (entry.removed)
            keys << entry.key;
    }
    return keys;
}

} // namespace

class TestMetadataLog : public QObject
{
    Q_OBJECT

private slots:
    void keyOrder_data();
    void keyOrder();
    void removedKeys_data();
    void removedKeys();
    void sortedEntriesMarkRemovedKeys();
    void displayTextIsBounded_data();
    void displayTextIsBounded();
    void presentationBridge();
};

void TestMetadataLog::keyOrder_data()
{
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("upper case before lower case")
        << QStringList{u"alpha"_qs, u"Zeta"_qs, u"Beta"_qs, u"beta"_qs}
        << QStringList{u"Beta"_qs, u"Zeta"_qs, u"alpha"_qs, u"beta"_qs};
    QTest::newRow("prefix first") << QStringList{u"GPSLatitudeRef"_qs, u"GPSLatitude"_qs, u"GPS"_qs}
                                  << QStringList{u"GPS"_qs, u"GPSLatitude"_qs, u"GPSLatitudeRef"_qs};
    // U+FF21 (fullwidth A) is a smaller scalar than U+1F600, though its
    // UTF-16 code unit is larger than the emoji's lead surrogate.
    QTest::newRow("astral after high BMP") << QStringList{u"\U0001F600"_qs, u"\uFF21"_qs}
                                          << QStringList{u"\uFF21"_qs, u"\U0001F600"_qs};
    // "e" + combining acute is "é" (U+00E9) after NFC, which sorts after "f".
    QTest::newRow("compared after NFC") << QStringList{u"e\u0301"_qs, u"f"_qs}
                                        << QStringList{u"f"_qs, u"e\u0301"_qs};
}

void TestMetadataLog::keyOrder()
{
    QFETCH(QStringList, reported);
    QFETCH(QStringList, sorted);

    MetadataTable table;
    for (const QString &key : reported)
        table.insert(key, u"v"_qs);
    QCOMPARE(keysOf(MetadataLog::sortedEntries(table)), sorted);
}

void TestMetadataLog::removedKeys_data()
{
    QTest::addColumn<MetadataTable>("before");
    QTest::addColumn<MetadataTable>("after");
    QTest::addColumn<QStringList>("removed");

    QTest::newRow("gone keys only") << MetadataTable{{u"Artist"_qs, u"Jane"_qs}, {u"FileSize"_qs, u"10 kB"_qs}}
                                    << MetadataTable{{u"FileSize"_qs, u"10 kB"_qs}}
                                    << QStringList{u"Artist"_qs};
    QTest::newRow("changed value is not removed")
        << MetadataTable{{u"FileSize"_qs, u"10 kB"_qs}, {u"FileModifyDate"_qs, u"2024"_qs}}
        << MetadataTable{{u"FileSize"_qs, u"8 kB"_qs}, {u"FileModifyDate"_qs, u"2025"_qs}} << QStringList{};
    QTest::newRow("case-sensitive") << MetadataTable{{u"Comment"_qs, u"a"_qs}, {u"comment"_qs, u"b"_qs}}
                                    << MetadataTable{{u"comment"_qs, u"b"_qs}} << QStringList{u"Comment"_qs};
    QTest::newRow("canonically equal keys are the same key")
        << MetadataTable{{u"Caf\u00e9"_qs, u"x"_qs}} << MetadataTable{{u"Cafe\u0301"_qs, u"x"_qs}} << QStringList{};
    QTest::newRow("everything removed") << MetadataTable{{u"A"_qs, u"1"_qs}, {u"B"_qs, u"2"_qs}} << MetadataTable{}
                                        << QStringList{u"A"_qs, u"B"_qs};
    QTest::newRow("nothing before") << MetadataTable{} << MetadataTable{{u"A"_qs, u"1"_qs}} << QStringList{};
}

void TestMetadataLog::removedKeys()
{
    QFETCH(MetadataTable, before);
    QFETCH(MetadataTable, after);
    QFETCH(QStringList, removed);

    const QSet<QString> expected(removed.cbegin(), removed.cend());
    QCOMPARE(MetadataLog::removedKeys(before, after), expected);
}

void TestMetadataLog::sortedEntriesMarkRemovedKeys()
{
    const MetadataTable before{{u"b"_qs, u"2"_qs}, {u"A"_qs, u"1"_qs}, {u"C"_qs, u"3"_qs}};
    const MetadataTable after{{u"b"_qs, u"changed"_qs}};
    const auto entries = MetadataLog::sortedEntries(before, MetadataLog::removedKeys(before, after));

    QCOMPARE(keysOf(entries), (QStringList{u"A"_qs, u"C"_qs, u"b"_qs}));
    QCOMPARE(removedOf(entries), (QStringList{u"A"_qs, u"C"_qs}));
    QCOMPARE(entries[1].value, u"3"_qs);
}

void TestMetadataLog::displayTextIsBounded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("maxLength");
    QTest::addColumn<QString>("shown");

    QTest::newRow("short stays") << u"Jane Marker"_qs << qsizetype(20) << u"Jane Marker"_qs;
    QTest::newRow("exactly the limit") << u"12345"_qs << qsizetype(5) << u"12345"_qs;
    QTest::newRow("long is cut") << u"1234567"_qs << qsizetype(5) << u"12345…"_qs;
    QTest::newRow("surrogate pair not split") << u"1234\U0001F600"_qs << qsizetype(5) << u"1234…"_qs;
}

void TestMetadataLog::displayTextIsBounded()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, maxLength);
    QFETCH(QString, shown);
    QCOMPARE(MetadataLog::displayText(text, maxLength), shown);
}

// What MetadataLogView reads: a whole FileItem in, lists of plain maps out.
void TestMetadataLog::presentationBridge()
{
    FileItem item = FileItem::fromUrl(QUrl::fromLocalFile(u"/tmp/a.jpg"_qs));
    item.metadataBefore = {{u"Comment"_qs, QString(1'000'000, u'x')}, {u"ImageSize"_qs, u"64x48"_qs}};
    item.metadataAfter = {{u"ImageSize"_qs, u"64x48"_qs}};

    Presentation presentation;
    const QVariantMap log = presentation.metadataLog(QVariant::fromValue(item));

    QCOMPARE(log.value(u"errorMessage"_qs).toString(), QString());
    QVERIFY(log.value(u"hasComparison"_qs).toBool());
    const QVariantList before = log.value(u"before"_qs).toList();
    const QVariantList after = log.value(u"after"_qs).toList();
    QCOMPARE(before.size(), 2);
    QCOMPARE(after.size(), 1);
    const QVariantMap comment = before[0].toMap();
    QCOMPARE(comment.value(u"key"_qs).toString(), u"Comment"_qs);
    QVERIFY(comment.value(u"removed"_qs).toBool());
    QCOMPARE(comment.value(u"value"_qs).toString().size(), MetadataLog::maxValueLength + 1);
    QVERIFY(!before[1].toMap().value(u"removed"_qs).toBool());
    QVERIFY(!after[0].toMap().value(u"removed"_qs).toBool());

    FileItem failed = FileItem::fromUrl(QUrl::fromLocalFile(u"/tmp/b.pdf"_qs));
    failed.errorMessage = u"<b>exiftool</b> failed"_qs;
    const QVariantMap failedLog = presentation.metadataLog(QVariant::fromValue(failed));
    QCOMPARE(failedLog.value(u"errorMessage"_qs).toString(), u"<b>exiftool</b> failed"_qs);
    QVERIFY(!failedLog.value(u"hasComparison"_qs).toBool());
}

QTEST_GUILESS_MAIN(TestMetadataLog)
#include "tst_metadatalog.moc"
