#include <MetadataLog.h>
#include <Presentation.h>

#include <FileListModel.h>

#include <QTest>

namespace {

// "key" per entry, "key -" when it is marked removed, and a value not the table's shown.
QStringList shown(const QList<MetadataLog::Entry> &entries, const MetadataTable &table)
{
    QStringList lines;
    for (const auto &entry : entries)
        lines << entry.key + (entry.removed ? u" -"_qs : QString())
                     + (entry.value == table.value(entry.key) ? QString() : u" = "_qs + entry.value);
    return lines;
}

} // namespace

class TestMetadataLog : public QObject
{
    Q_OBJECT

private slots:
    // Keys gone after the clean are marked in the sorted "before" list.
    void removedKeys_data()
    {
        QTest::addColumn<MetadataTable>("before");
        QTest::addColumn<MetadataTable>("after");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("gone keys only") << MetadataTable{{u"b"_qs, u"2"_qs}, {u"A"_qs, u"1"_qs}, {u"C"_qs, u"3"_qs}}
                                        << MetadataTable{{u"b"_qs, u"changed"_qs}} << QStringList{u"A -"_qs, u"C -"_qs, u"b"_qs};
        QTest::newRow("changed value is not removed")
            << MetadataTable{{u"FileSize"_qs, u"10 kB"_qs}, {u"FileModifyDate"_qs, u"2024"_qs}}
            << MetadataTable{{u"FileSize"_qs, u"8 kB"_qs}, {u"FileModifyDate"_qs, u"2025"_qs}}
            << QStringList{u"FileModifyDate"_qs, u"FileSize"_qs};
        QTest::newRow("case-sensitive") << MetadataTable{{u"Comment"_qs, u"a"_qs}, {u"comment"_qs, u"b"_qs}}
                                        << MetadataTable{{u"comment"_qs, u"b"_qs}} << QStringList{u"Comment -"_qs, u"comment"_qs};
        QTest::newRow("canonically equal keys are the same key")
            << MetadataTable{{u"Caf\u00e9"_qs, u"x"_qs}} << MetadataTable{{u"Cafe\u0301"_qs, u"x"_qs}} << QStringList{u"Caf\u00e9"_qs};
        QTest::newRow("everything removed") << MetadataTable{{u"A"_qs, u"1"_qs}, {u"B"_qs, u"2"_qs}} << MetadataTable{}
                                            << QStringList{u"A -"_qs, u"B -"_qs};
        QTest::newRow("nothing before") << MetadataTable{} << MetadataTable{{u"A"_qs, u"1"_qs}} << QStringList{};
    }

    void removedKeys()
    {
        QFETCH(MetadataTable, before);
        QFETCH(MetadataTable, after);
        QFETCH(QStringList, shown);
        const QSet<QString> removed = MetadataLog::removedKeys(before, after);
        QCOMPARE(::shown(MetadataLog::sortedEntries(before, removed), before), shown);
        QCOMPARE(removed.size(), shown.filter(u" -"_qs).size());
    }

    void displayTextIsBounded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("maxLength");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short stays") << u"Jane Marker"_qs << qsizetype(20) << u"Jane Marker"_qs;
        QTest::newRow("exactly the limit") << u"12345"_qs << qsizetype(5) << u"12345"_qs;
        QTest::newRow("long is cut") << u"1234567"_qs << qsizetype(5) << u"12345…"_qs;
        QTest::newRow("surrogate pair not split") << u"1234\U0001F600"_qs << qsizetype(5) << u"1234…"_qs;
    }

    void displayTextIsBounded()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, maxLength);
        QTEST(MetadataLog::displayText(text, maxLength), "shown");
    }

    // What MetadataLogView reads for a row: a value too long to draw comes
    // cut, and a failure as the row's words.
    void presentationBridge()
    {
        FileItem item = FileItem::fromUrl(QUrl::fromLocalFile(u"/tmp/a.jpg"_qs));
        item.packedBefore = PackedMetadata::pack({{u"Comment"_qs, QString(1'000'000, u'x')}});
        FileItem failed = FileItem::fromUrl(QUrl::fromLocalFile(u"/tmp/b.pdf"_qs));
        failed.failure = ExifToolError::processError(u"<b>exiftool</b> failed"_qs);
        FileListModel files;
        files.append({item, failed});
        Presentation presentation;
        const QVariantMap comment = presentation.metadataLog(&files, 0).value(u"before"_qs).toList().value(0).toMap();
        QCOMPARE(comment.value(u"key"_qs).toString(), u"Comment"_qs);
        QCOMPARE(comment.value(u"value"_qs).toString().size(), MetadataLog::maxValueLength + 1);
        const QVariantMap failedLog = presentation.metadataLog(&files, 1);
        QCOMPARE(failedLog.value(u"errorMessage"_qs).toString(), u"ExifTool: <b>exiftool</b> failed"_qs);
        QVERIFY(!failedLog.value(u"hasComparison"_qs).toBool());
    }
};

QTEST_GUILESS_MAIN(TestMetadataLog)
#include "tst_metadatalog.moc"
