#include <MetadataLog.h>
#include <FileRows.h>

#include <FileListModel.h>
#include <Translations.h>

#include <QTest>

Q_DECLARE_METATYPE(TagTopic)

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
    void initTestCase() { QVERIFY(installTranslations(QLocale(QLocale::English))); }

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

    // exiftool's keys as a photo, a raw, a movie, a PDF and the file's
    // attributes bring them.
    void topicOfTag_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<TagTopic>("topic");
        const auto row = [](const QString &key, TagTopic topic) { QTest::newRow(qPrintable(key)) << key << topic; };
        row(u"GPS:GPSLatitude"_qs, TagTopic::location);
        row(u"GPS:GPSDateStamp"_qs, TagTopic::location); // a date, but it tells where
        row(u"XMP-photoshop:City"_qs, TagTopic::location);
        row(u"IFD0:Artist"_qs, TagTopic::people);
        row(u"XMP-dc:Creator"_qs, TagTopic::people);
        row(u"Canon:OwnerName"_qs, TagTopic::people); // a maker note, but a person's name
        row(u"Attribute:user.xdg.publisher"_qs, TagTopic::people);
        row(u"ExifIFD:DateTimeOriginal"_qs, TagTopic::dates);
        row(u"ExifIFD:ExposureTime"_qs, TagTopic::camera); // a time, but a setting
        row(u"ExifIFD:BodySerialNumber"_qs, TagTopic::camera);
        row(u"XMP-xmp:CreatorTool"_qs, TagTopic::software); // not a person
        row(u"PDF:Creator"_qs, TagTopic::software);
        row(u"PDF:Producer"_qs, TagTopic::software);
        row(u"Attribute:user.xdg.comment"_qs, TagTopic::other);
        row(u"Container:caBX"_qs, TagTopic::other);
        row(u"IFD0:Orientation"_qs, TagTopic::other);
        row(u"ExifTool:Warning"_qs, TagTopic::toolWarnings);
    }

    void topicOfTag()
    {
        QFETCH(QString, key);
        QTEST(::topicOfTag(key), "topic");
    }

    // Topics in their order whatever the keys' order; within one, by key;
    // warnings after every tag, removed marks kept.
    void groupedEntries_data()
    {
        QTest::addColumn<MetadataTable>("table");
        QTest::addColumn<QSet<QString>>("removed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a photo")
            << MetadataTable{{u"ExifTool:Warning"_qs, u"[minor] Unrecognized MakerNotes"_qs},
                             {u"IFD0:Artist"_qs, u"Jane"_qs}, {u"ExifIFD:DateTimeOriginal"_qs, u"2024"_qs},
                             {u"GPS:GPSLongitude"_qs, u"2"_qs}, {u"GPS:GPSLatitude"_qs, u"1"_qs},
                             {u"IFD0:Software"_qs, u"Editor 1"_qs}, {u"IFD0:Make"_qs, u"Canon"_qs},
                             {u"IFD0:Orientation"_qs, u"Horizontal"_qs}}
            << QSet<QString>{u"GPS:GPSLatitude"_qs, u"IFD0:Artist"_qs}
            << QStringList{u"[Location] GPS:GPSLatitude -"_qs, u"GPS:GPSLongitude"_qs, u"[People] IFD0:Artist -"_qs,
                           u"[Dates] ExifIFD:DateTimeOriginal"_qs, u"[Camera] IFD0:Make"_qs,
                           u"[Software] IFD0:Software"_qs, u"[Other] IFD0:Orientation"_qs,
                           u"[ExifTool's warnings] ExifTool:Warning"_qs};
        QTest::newRow("only warnings") << MetadataTable{{u"ExifTool:Warning"_qs, u"x"_qs}} << QSet<QString>{}
                                       << QStringList{u"[ExifTool's warnings] ExifTool:Warning"_qs};
        QTest::newRow("empty") << MetadataTable{} << QSet<QString>{} << QStringList{};
    }

    void groupedEntries()
    {
        QFETCH(MetadataTable, table);
        QFETCH(QSet<QString>, removed);
        QStringList shown;
        for (const MetadataLog::Section &section : MetadataLog::groupedEntries(table, removed)) {
            QVERIFY(!section.entries.isEmpty());
            for (const MetadataLog::Entry &entry : section.entries) {
                const QString heading = &entry == &section.entries.first() ? u"["_qs + topicHeading(section.topic) + u"] "_qs : QString();
                shown << heading + entry.key + (entry.removed ? u" -"_qs : QString());
            }
        }
        QTEST(shown, "shown");
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
        item.packedBefore = PackedMetadata::pack({{u"Comment"_qs, QString(1'000'000, u'x')}, {u"ExifTool:Warning"_qs, u"x"_qs}});
        FileItem failed = FileItem::fromUrl(QUrl::fromLocalFile(u"/tmp/b.pdf"_qs));
        failed.failure = ExifToolError::processError(u"<b>exiftool</b> failed"_qs);
        FileListModel files;
        files.append({item, failed});
        FileRows rows;
        rows.setSourceModel(&files);
        const auto log = [&rows](int row) { return rows.data(rows.index(row, 0), FileRows::MetadataLogRole).toMap(); };
        const QVariantMap comment = log(0).value(u"before"_qs).toList().value(0).toMap();
        QCOMPARE(comment.value(u"key"_qs).toString(), u"Comment"_qs);
        QCOMPARE(comment.value(u"heading"_qs).toString(), u"Other"_qs);
        QVERIFY(!comment.value(u"warning"_qs).toBool());
        const QVariantMap warning = log(0).value(u"before"_qs).toList().value(1).toMap();
        QCOMPARE(warning.value(u"key"_qs).toString(), u"ExifTool:Warning"_qs);
        QVERIFY(warning.value(u"warning"_qs).toBool());
        QCOMPARE(comment.value(u"value"_qs).toString().size(), MetadataLog::maxValueLength + 1);
        const QVariantMap failedLog = log(1);
        QCOMPARE(failedLog.value(u"errorMessage"_qs).toString(), u"ExifTool: <b>exiftool</b> failed"_qs);
        QVERIFY(!failedLog.value(u"hasComparison"_qs).toBool());
    }
};

QTEST_GUILESS_MAIN(TestMetadataLog)
#include "tst_metadatalog.moc"
