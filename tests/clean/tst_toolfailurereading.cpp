#include <ToolFailureReading.h>

#include <QTest>

Q_DECLARE_METATYPE(SupportedFormat)

// exiftool's write errors as it prints them, and what the row says instead.
// The tool's own text stays with the failure as its detail.
class TestToolFailureReading : public QObject
{
    Q_OBJECT

private slots:
    void wrongKindOfFile_data()
    {
        QTest::addColumn<QString>("toolText");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text named .jpg")
            << u"Warning: No writable tags set from /tmp/x/a.jpg\nError: Not a valid JPG (looks more like a TXT) - "
               "/tmp/x/a.jpg\n"_qs
            << u"This is not a JPEG picture (it looks like text). It was left unchanged."_qs;
        QTest::newRow("PNG named .heic") << u"Error: Not a valid HEIC (looks more like a PNG) - b.heic"_qs
                                         << u"This is not a HEIC picture (it looks like a PNG picture). It was left unchanged."_qs;
        QTest::newRow("web page named .mov") << u"Error: Not a valid MOV (looks more like a XMP) - c.mov"_qs
                                             << u"This is not a MOV video (it looks like XML text). It was left unchanged."_qs;
        QTest::newRow("archive named .nef") << u"Error: Not a valid NEF (looks more like a ZIP) - d.nef"_qs
                                            << u"This is not a NEF camera raw (it looks like a ZIP archive). It was left unchanged."_qs;
        QTest::newRow("unknown kinds by their names") << u"Error: Not a valid XYZ (looks more like a RIFF) - e.xyz"_qs
                                                      << u"This is not a XYZ file (it looks like a RIFF file). It was left unchanged."_qs;
        QTest::newRow("no lookalike") << u"Error: Not a valid PDF - f.pdf"_qs
                                      << u"This is not a PDF document. It was left unchanged."_qs;
        QTest::newRow("structure not followed") << u"Error: File format error - g.cr2"_qs
                                                << u"g.cr2 is damaged, or not the kind of file its name says, so it could "
                                                   "not be cleaned safely; it was left unchanged."_qs;
        for (const char *cut : {"Warning: [minor] Can't delete IFD0 from TIFF - g.tif\nError: Error reading image data - g.tif",
                                "Error: Truncated mdat atom - g.m4a"}) {
            QTest::addRow("%s", cut) << QString::fromLatin1(cut)
                                     << u"g.cr2 is damaged, or not the kind of file its name says, so it could not be "
                                        "cleaned safely; it was left unchanged."_qs;
        }
        QTest::newRow("movie in fragments") << u"Error: Can't yet handle movie fragments - g.mp4"_qs
                                            << u"g.cr2 is a movie written in fragments, as some cameras and screen "
                                               "recorders write them, which Tessaly cannot clean yet; it was left "
                                               "unchanged."_qs;
        // A disk that is full says so, whatever else the tool said.
        QTest::newRow("full disk first") << u"Error: Not a valid JPG (looks more like a TXT)\nError writing output "
                                            "file: No space left on device"_qs
                                         << u"There is not enough space on the disk to clean g.cr2; it was left "
                                            "unchanged. Free some space on the disk and try again."_qs;
    }

    void wrongKindOfFile()
    {
        QFETCH(QString, toolText);
        QFETCH(QString, shown);
        const Failure read = readToolFailure(ExifToolError::processError(toolText), u"g.cr2"_qs, QString(), 0);
        QCOMPARE(describe(read), shown);
        QCOMPARE(failureDetail(read), toolText.trimmed());
    }

    // The app's own writers cannot follow the file: what exiftool read it as
    // says why, unless that is the kind its name says (then it is damaged).
    void writerRefusalsByWhatTheFileIs_data()
    {
        QTest::addColumn<SupportedFormat>("format");
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QString>("shown");
        const QString damaged = u"a.jpg is damaged (offset 2), so it could not be cleaned safely; it was left unchanged."_qs;
        QTest::newRow("text named .jpg") << SupportedFormat::jpg << u"TXT"_qs << u"text/plain"_qs
                                         << u"This is not a JPEG picture (it looks like text). It was left unchanged."_qs;
        QTest::newRow("PDF named .png") << SupportedFormat::png << u"PDF"_qs << u"application/pdf"_qs
                                        << u"This is not a PNG picture (it looks like a PDF document). It was left unchanged."_qs;
        QTest::newRow("broken JPEG") << SupportedFormat::jpg << u"JPEG"_qs << u"image/jpeg"_qs << damaged;
        QTest::newRow("broken animated PNG") << SupportedFormat::png << u"APNG"_qs << u"image/apng"_qs << damaged;
        QTest::newRow("broken extended WebP") << SupportedFormat::webp << u"Extended WEBP"_qs << u"image/webp"_qs << damaged;
        QTest::newRow("nothing read") << SupportedFormat::jpg << QString() << QString() << damaged;
        QTest::newRow("broken MP3") << SupportedFormat::mp3 << u"MP3"_qs << u"audio/mpeg"_qs << damaged;
        QTest::newRow("broken Opus") << SupportedFormat::opus << u"OPUS"_qs << u"audio/ogg"_qs << damaged;
    }

    void writerRefusalsByWhatTheFileIs()
    {
        QFETCH(SupportedFormat, format);
        QFETCH(QString, fileType);
        QFETCH(QString, mimeType);
        MetadataTable read;
        if (!fileType.isEmpty())
            read = {{u"File:FileType"_qs, fileType}, {u"File:MIMEType"_qs, mimeType}};
        const Failure refused = CleanError(CleanError::Kind::damagedFile, {u"a.jpg"_qs, u"offset 2"_qs});
        QTEST(describe(readWrongKind(refused, format, read, u"a.jpg"_qs)), "shown");
        // Other failures are not the writer's to reword.
        const Failure full = CleanError(CleanError::Kind::diskFull, {u"a.jpg"_qs});
        QCOMPARE(readWrongKind(full, format, read, u"a.jpg"_qs), full);
    }

    // What the app does not recognise is passed on as the tool said it.
    void otherFailuresPassThrough()
    {
        const Failure tool = ExifToolError::processError(u"Error: Something else entirely"_qs);
        QCOMPARE(readToolFailure(tool, u"a.jpg"_qs, QString(), 0), tool);
        const Failure timeout = ExifToolError::timeout();
        QCOMPARE(readToolFailure(timeout, u"a.jpg"_qs, QString(), 0), timeout);
    }
};

QTEST_GUILESS_MAIN(TestToolFailureReading)
#include "tst_toolfailurereading.moc"
