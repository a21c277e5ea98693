// The ZIP reader and writer, the XML rewriting and the walk of office
// documents and e-books, on archives built here.

#include <OfficePackage.h>
#include <XmlScrub.h>
#include <ZipArchive.h>

#include <Fixtures.h>
#include <OfficeFixtures.h>

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

using Entries = QList<QPair<QByteArray, QByteArray>>;

QList<ZipEntry> asEntries(const Entries &pairs)
{
    QList<ZipEntry> entries;
    for (const auto &[name, data] : pairs)
        entries.append(ZipEntry {name, data, false});
    return entries;
}

Entries asPairs(const QList<ZipEntry> &entries)
{
    Entries pairs;
    for (const ZipEntry &entry : entries)
        pairs.append({entry.name, entry.data});
    return pairs;
}

QByteArray fixture(const QString &extension)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sample." + extension);
    OfficeFixtures::make(path, extension);
    return Fixtures::readAll(path);
}

QList<ContainerItem> identifyingIn(const ContainerWalk &walk)
{
    QList<ContainerItem> found;
    for (const ContainerItem &item : walk.items)
        if (item.role == ItemRole::identifying)
            found.append(item);
    return found;
}

// A cleaned archive with one entry replaced (or added) by `change`.
QByteArray withEntry(const QByteArray &archive, const QByteArray &name, const QByteArray &data)
{
    QList<ZipEntry> entries = ZipArchive::read(archive).entries;
    auto it = std::find_if(entries.begin(), entries.end(), [&](const ZipEntry &e) { return e.name == name; });
    if (it == entries.end())
        entries.append(ZipEntry {name, data, false});
    else
        it->data = data;
    return ZipArchive::write(entries);
}

} // namespace

class tst_OfficeContainers : public QObject
{
    Q_OBJECT

private slots:
    void strangeArchivesAreRefusedBeforeUnpacking_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<int>("problem");
        const QByteArray plain = ZipArchive::write(asEntries({{"a.xml", "<a/>"}, {"b.txt", "words"}}));
        QTest::newRow("whole") << plain << int(ZipReading::Problem::none);
        QTest::newRow("cut short") << plain.left(plain.size() * 2 / 3) << int(ZipReading::Problem::damaged);
        QTest::newRow("not a ZIP") << QByteArray("PK\3\4 not really") << int(ZipReading::Problem::damaged);
        QList<ZipEntry> stored = asEntries({{"a.xml", "<a/>"}, {"b.txt", "words"}});
        stored[1].stored = true;
        QByteArray flipped = ZipArchive::write(stored);
        QVERIFY(flipped.contains("words"));
        flipped[flipped.indexOf("words")] = 'W'; // the CRC no longer matches
        QTest::newRow("bytes changed under the CRC") << flipped << int(ZipReading::Problem::damaged);
        QTest::newRow("a name twice") << ZipArchive::write(asEntries({{"a.xml", "<a/>"}, {"a.xml", "<b/>"}}))
                                      << int(ZipReading::Problem::damaged);
        QTest::newRow("a name climbing out") << ZipArchive::write(asEntries({{"../a.xml", "<a/>"}}))
                                             << int(ZipReading::Problem::damaged);
        // 80 MiB of spaces pack to a few dozen kilobytes.
        QTest::newRow("bomb") << ZipArchive::write(asEntries({{"content.xml", QByteArray(80 << 20, ' ')}}))
                              << int(ZipReading::Problem::tooLarge);
        // The directory promises 3 GB: refused by the promise, nothing inflated.
        QByteArray promised = ZipArchive::write(asEntries({{"content.xml", QByteArray(1000, ' ')}}));
        const qsizetype central = promised.indexOf("PK\1\2");
        qToLittleEndian<quint32>(3000000000u, promised.data() + central + 24);
        qToLittleEndian<quint32>(3000000000u, promised.data() + 22);
        QTest::newRow("bomb by its directory") << promised << int(ZipReading::Problem::tooLarge);
        Entries many;
        for (int i = 0; i <= ZipArchive::largestEntryCount; ++i)
            many.append({QByteArray::number(i), {}});
        QTest::newRow("too many entries") << ZipArchive::write(asEntries(many)) << int(ZipReading::Problem::tooLarge);
    }

    void strangeArchivesAreRefusedBeforeUnpacking()
    {
        QFETCH(QByteArray, archive);
        QFETCH(int, problem);
        const ZipReading reading = ZipArchive::read(archive);
        QCOMPARE(int(reading.problem), problem);
        if (problem == int(ZipReading::Problem::none))
            QCOMPARE(asPairs(reading.entries), (Entries {{"a.xml", "<a/>"}, {"b.txt", "words"}}));
        // The document's clean says the same, and writes nothing.
        const OfficeCleaning cleaning = OfficePackage::clean(SupportedFormat::docx, archive);
        if (problem != int(ZipReading::Problem::none))
            QVERIFY(cleaning.problem != OfficeCleaning::Problem::none && cleaning.archive.isEmpty());
    }

    // What the writer leaves in the headers, against what zip tools leave.
    void headersCarryOneDateAndNothingElse()
    {
        const Entries entries {{"mimetype", "application/epub+zip"}, {"OEBPS/a.xhtml", QByteArray(3000, 'x')}};
        const ZipHeaders stranger = ZipArchive::headers(OfficeFixtures::zipped(entries, "a note"));
        QVERIFY(!stranger.damage);
        QCOMPARE(stranger.archiveCommentBytes, 6u);
        QCOMPARE(stranger.entries.size(), 2);
        QVERIFY(stranger.entries[0].extraBytes > 0 && stranger.entries[0].dosDate != ZipArchive::fixedDosDate);

        QList<ZipEntry> ours = asEntries(entries);
        ours[0].stored = true;
        const QByteArray written = ZipArchive::write(ours);
        const ZipHeaders facts = ZipArchive::headers(written);
        QVERIFY(!facts.damage);
        QCOMPARE(facts.archiveCommentBytes, 0u);
        for (const ZipHeaderFacts &entry : facts.entries) {
            QCOMPARE(entry.dosDate, ZipArchive::fixedDosDate);
            QCOMPARE(entry.dosTime, ZipArchive::fixedDosTime);
            QCOMPARE(entry.extraBytes, 0u);
        }
        // `mimetype` readable at byte 38, as ODF and EPUB readers look for it.
        QCOMPARE(written.mid(30, 8), QByteArray("mimetype"));
        QCOMPARE(written.mid(38, 20), QByteArray("application/epub+zip"));
        QCOMPARE(asPairs(ZipArchive::read(written).entries), entries);
    }

    void xmlRules_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QByteArrayList>("present");
        QTest::addColumn<QByteArrayList>("absent");
        const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
        QTest::newRow("word: revision IDs, names and dates on changes")
            << int(XmlPart::ooxml)
            << "<w:document " + w + "><w:p w:rsidR=\"00AB\" w:rsidRDefault=\"00AB\"><w:ins w:id=\"1\" w:author=\"Jane Roe\" "
               "w:date=\"2019-01-01T00:00:00Z\"><w:r><w:t>a &amp; b</w:t></w:r></w:ins></w:p></w:document>"
            << QByteArrayList {"w:author=\"Author\"", "<w:t>a &amp; b</w:t>", "w:id=\"1\""}
            << QByteArrayList {"rsid", "Jane", "2019"};
        QTest::newRow("word settings: revision table and template")
            << int(XmlPart::ooxml)
            << "<w:settings " + w + "><w:attachedTemplate r:id=\"rId1\" xmlns:r=\"r\"/><w:rsids><w:rsidRoot w:val=\"00AB\"/>"
               "</w:rsids><w:zoom w:percent=\"100\"/></w:settings>"
            << QByteArrayList {"<w:zoom w:percent=\"100\"/>"} << QByteArrayList {"rsid", "attachedTemplate"};
        QTest::newRow("sheet: comment authors and the saved path")
            << int(XmlPart::ooxml)
            << QByteArray("<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><authors><author>Jane Roe"
                          "</author></authors><x15ac:absPath xmlns:x15ac=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/ac\" "
                          "url=\"/home/jane/\"/></comments>")
            << QByteArrayList {"<author>Author</author>"} << QByteArrayList {"Jane", "absPath", "/home/jane"};
        QTest::newRow("slides: comment authors and dates")
            << int(XmlPart::ooxml)
            << QByteArray("<p:cmAuthorLst xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:cmAuthor id=\"1\" "
                          "name=\"Jane Roe\" initials=\"JR\" lastIdx=\"1\"/><p:cm authorId=\"1\" dt=\"2019-01-01T00:00:00\"/></p:cmAuthorLst>")
            << QByteArrayList {"name=\"Author\"", "initials=\"A\"", "authorId=\"1\""} << QByteArrayList {"Jane", "JR", "2019"};
        const QByteArray odf = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";
        QTest::newRow("odf: comments and changes")
            << int(XmlPart::odf)
            << "<office:text " + odf + "><office:change-info><dc:creator>Jane Roe</dc:creator><dc:date>2019-01-01T00:00:00"
               "</dc:date></office:change-info><office:annotation><dc:creator>Jane Roe</dc:creator><dc:date>2019-01-02</dc:date>"
               "<p>kept words</p></office:annotation><dc:creator>a field</dc:creator></office:text>"
            << QByteArrayList {"<dc:creator>Author</dc:creator>", "<dc:date>2000-01-01T00:00:00</dc:date>", "kept words",
                               "<dc:creator>a field</dc:creator>"}
            << QByteArrayList {"Jane", "2019"};
        QTest::newRow("relationships to dropped parts and templates")
            << int(XmlPart::relationships)
            << QByteArray("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                          "<Relationship Id=\"1\" Type=\"t/core-properties\" Target=\"/docProps/core.xml\"/>"
                          "<Relationship Id=\"2\" Type=\"t/officeDocument\" Target=\"word/document.xml\"/>"
                          "<Relationship Id=\"3\" Type=\"t/attachedTemplate\" Target=\"file:///home/jane/a.dotm\" TargetMode=\"External\"/>"
                          "<Relationship Id=\"4\" Type=\"t/hyperlink\" Target=\"https://example.org/\" TargetMode=\"External\"/>"
                          "</Relationships>")
            << QByteArrayList {"word/document.xml", "https://example.org/"} << QByteArrayList {"docProps", "jane"};
        QTest::newRow("content types of dropped parts")
            << int(XmlPart::contentTypes)
            << QByteArray("<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Override "
                          "PartName=\"/docProps/app.xml\" ContentType=\"a\"/><Override PartName=\"/word/document.xml\" ContentType=\"b\"/></Types>")
            << QByteArrayList {"/word/document.xml"} << QByteArrayList {"docProps"};
        QTest::newRow("manifest entries of dropped parts")
            << int(XmlPart::odfManifest)
            << QByteArray("<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                          "<manifest:file-entry manifest:full-path=\"settings.xml\"/><manifest:file-entry manifest:full-path="
                          "\"content.xml\"/></manifest:manifest>")
            << QByteArrayList {"content.xml"} << QByteArrayList {"settings.xml"};
        QTest::newRow("e-book: the tools' traces, not the book's own")
            << int(XmlPart::epubPackage)
            << QByteArray("<package xmlns=\"http://www.idpf.org/2007/opf\" xmlns:opf=\"http://www.idpf.org/2007/opf\"><metadata "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Book</dc:title><dc:creator>Writer</dc:creator>"
                          "<dc:contributor opf:role=\"bkp\">calibre</dc:contributor><dc:contributor id=\"c\">Sigil</dc:contributor>"
                          "<meta refines=\"#c\" property=\"role\">bkp</meta><dc:contributor opf:role=\"ill\">Drawer</dc:contributor>"
                          "<meta name=\"calibre:timestamp\" content=\"x\"/><meta name=\"generator\" content=\"g\"/>"
                          "<meta property=\"dcterms:modified\">2019-01-01T00:00:00Z</meta><![CDATA[a<b]]></metadata></package>")
            << QByteArrayList {"<dc:title>Book</dc:title>", "<dc:creator>Writer</dc:creator>", "Drawer",
                               ">2000-01-01T00:00:00Z<", "<![CDATA[a<b]]>"}
            << QByteArrayList {"calibre", "Sigil", "bkp", "generator", "2019"};
    }

    void xmlRules()
    {
        QFETCH(int, part);
        QFETCH(QByteArray, xml);
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, absent);
        const QSet<QByteArray> dropped {"docProps/core.xml", "docProps/app.xml", "settings.xml"};
        const XmlScrubbed scrubbed = XmlScrub::scrub(xml, XmlPart(part), "_rels/.rels", dropped);
        QCOMPARE(scrubbed.damage, QString());
        QVERIFY(!scrubbed.removed.isEmpty());
        for (const QByteArray &text : present)
            QVERIFY2(scrubbed.xml.contains(text), qPrintable(text + " missing from " + scrubbed.xml));
        for (const QByteArray &text : absent)
            QVERIFY2(!scrubbed.xml.contains(text), qPrintable(text + " left in " + scrubbed.xml));
        // Once rewritten, nothing more to take.
        QCOMPARE(XmlScrub::scrub(scrubbed.xml, XmlPart(part), "_rels/.rels", dropped).removed, QStringList());
    }

    void entitiesAreNeverExpanded_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("entity bomb") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"xxxxxxxx\"><!ENTITY y "
                                                   "\"&x;&x;&x;&x;&x;&x;&x;&x;\">]><a>&y;&y;&y;</a>") << true << false;
        QTest::newRow("external entity") << QByteArray("<!DOCTYPE a [<!ENTITY s SYSTEM \"file:///etc/passwd\">]><a>&s;</a>")
                                         << true << false;
        QTest::newRow("document type without entities") << QByteArray("<!DOCTYPE html><html><p>a</p></html>") << false << false;
        QTest::newRow("not well-formed") << QByteArray("<a><b></a>") << false << true;
    }

    void entitiesAreNeverExpanded()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, refused);
        QFETCH(bool, damaged);
        const XmlScrubbed scrubbed = XmlScrub::scrub(xml, XmlPart::epubPackage);
        QCOMPARE(scrubbed.entities, refused);
        QCOMPARE(!scrubbed.damage.isEmpty(), damaged);
        QVERIFY(!scrubbed.xml.contains("xxxxxxxx") && !scrubbed.xml.contains("root:"));
        const QByteArray archive = ZipArchive::write(asEntries({{"mimetype", "application/epub+zip"}, {"content.opf", xml}}));
        const OfficeCleaning cleaning = OfficePackage::clean(SupportedFormat::epub, archive);
        QCOMPARE(cleaning.problem, refused ? OfficeCleaning::Problem::entities
                                 : damaged ? OfficeCleaning::Problem::damaged : OfficeCleaning::Problem::none);
    }

    // The walk the residue check relies on: clean versions pass, and one
    // leftover planted back into a clean version is found.
    void walkFindsWhatWasLeft_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("docx: core properties") << "docx" << QByteArray("docProps/core.xml") << QByteArray("<a/>");
        QTest::newRow("docx: a revision ID") << "docx" << QByteArray("word/settings.xml")
            << QByteArray("<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" w:rsidR=\"1\"/>");
        QTest::newRow("docx: a picture's EXIF") << "docx" << QByteArray("word/media/image1.jpg")
                                                << Fixtures::readAll(Fixtures::make(QDir::tempPath(), "jpg", "walk.jpg"));
        QTest::newRow("odt: printer settings") << "odt" << QByteArray("settings.xml") << QByteArray("<a/>");
        QTest::newRow("odt: document properties") << "odt" << QByteArray("meta.xml")
            << QByteArray("<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"><office:meta>"
                          "<m>x</m></office:meta></office:document-meta>");
        QTest::newRow("epub: a generator") << "epub" << QByteArray("OEBPS/content.opf")
            << QByteArray("<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata><meta name=\"generator\" content=\"g\"/>"
                          "</metadata></package>");
        QTest::newRow("epub: the ZIP's own dates") << "epub" << QByteArray() << QByteArray();
    }

    void walkFindsWhatWasLeft()
    {
        QFETCH(QString, extension);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, data);
        const SupportedFormat format = *parseSupportedFormat(extension);
        const QByteArray original = fixture(extension);
        QVERIFY(OfficePackage::walk(format, original).hasIdentifying());
        const OfficeCleaning cleaning = OfficePackage::clean(format, original);
        QCOMPARE(cleaning.problem, OfficeCleaning::Problem::none);
        const ContainerWalk clean = OfficePackage::walk(format, cleaning.archive);
        QCOMPARE(identifyingIn(clean), QList<ContainerItem>());
        QVERIFY(!clean.damage);

        const QByteArray planted = name.isEmpty()
            ? OfficeFixtures::zipped(asPairs(ZipArchive::read(cleaning.archive).entries), "note")
            : withEntry(cleaning.archive, name, data);
        const QList<ContainerItem> found = identifyingIn(OfficePackage::walk(format, planted));
        QVERIFY(!found.isEmpty());
        QStringList what;
        for (const ContainerItem &item : found)
            what.append(item.place + " " + QString::fromUtf8(item.type));
        const QStringList headerFacts {"ZIP comment", "ZIP date", "ZIP extra field"};
        QCOMPARE(what, name.isEmpty() ? headerFacts : QStringList {QString::fromUtf8(name) + " part"});
    }

    // What a clean keeps: the document's words, comments and changes, an
    // e-book's title and author (named for the log); and the references
    // that pointed at what went are gone with it.
    void cleanKeepsTheDocument()
    {
        const QByteArray cleanedDocx = OfficePackage::clean(SupportedFormat::docx, fixture("docx")).archive;
        QByteArray all;
        for (const ZipEntry &entry : ZipArchive::read(cleanedDocx).entries)
            all += entry.name + "\n" + entry.data + "\n";
        for (const QByteArray &kept : {"First words of the document", "with an insertion", "and a deletion",
                                       "Comment body stays", "w:author=\"Author\"", "word/media/image1.jpg"})
            QVERIFY2(all.contains(kept), kept);
        QVERIFY(!all.contains("docProps"));
        // A picture without a writer stays, and is named.
        QList<ZipEntry> withGif = ZipArchive::read(cleanedDocx).entries;
        withGif.append(ZipEntry {"word/media/image2.gif", "GIF89a", false});
        const OfficeCleaning gif = OfficePackage::clean(SupportedFormat::docx, ZipArchive::write(withGif));
        QCOMPARE(gif.kept.size(), 1);
        QCOMPARE(gif.kept.constFirst().place, QStringLiteral("word/media/image2.gif"));
        QCOMPARE(gif.kept.constFirst().role, ItemRole::content);

        const OfficeCleaning book = OfficePackage::clean(SupportedFormat::epub, fixture("epub"));
        QStringList kept;
        for (const ContainerItem &item : book.kept)
            kept.append(QString::fromUtf8(item.type) + "=" + item.detail);
        QCOMPARE(kept, (QStringList {"dc:title=" + QString(OfficeFixtures::bookTitle),
                                     "dc:creator=" + QString(OfficeFixtures::bookAuthor)}));
        const QList<ZipEntry> entries = ZipArchive::read(book.archive).entries;
        QCOMPARE(entries.constFirst().name, QByteArray("mimetype"));
        QVERIFY(entries.constFirst().stored);
    }
};

QTEST_GUILESS_MAIN(tst_OfficeContainers)
#include "tst_officecontainers.moc"
