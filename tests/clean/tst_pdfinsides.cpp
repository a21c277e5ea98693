// What a PDF hides besides its document information, cleaned by the real
// helper through the service: each row plants one kind of hidden data and
// checks the file's bytes (streams decompressed), what qpdf shows, the pages
// as drawn, and the helper's report.

#include <PdfCleaner.h>
#include <PdfHelperProtocol.h>

#include <Cleaning.h>
#include <FakeTool.h>
#include <Fixtures.h>

#include <QTemporaryDir>
#include <QTest>

using namespace Fixtures;

namespace {

QString errorOf(const QString &path, const ToolPaths &tools = ToolPaths::installed())
{
    return Cleaning::errorOf(Cleaning::cleanWith(tools, path));
}

// "kind/page/count/name", to compare with a row's expectations.
QStringList lines(const QList<PdfReport::Finding> &findings)
{
    QStringList out;
    for (const PdfReport::Finding &finding : findings)
        out.append(QStringLiteral("%1/%2/%3/%4")
                       .arg(QString::fromLatin1(PdfHelper::nameOf(finding.kind)), QString::number(finding.page),
                            QString::number(finding.count), finding.name));
    return out;
}

QList<QByteArray> idOf(const QString &pdf)
{
    const QByteArray trailer = run("qpdf", {"--show-object=trailer", pdf});
    const qsizetype start = trailer.indexOf("/ID [");
    return start < 0 ? QList<QByteArray>() : trailer.mid(start + 5, trailer.indexOf(']', start) - start - 5).simplified().split(' ');
}

QByteArray stream(const QByteArray &dict, const QByteArray &data)
{
    return "<< " + dict + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

QByteArray segment(char marker, const QByteArray &payload)
{
    const int length = payload.size() + 2;
    return QByteArray("\xFF") + marker + char(length >> 8) + char(length & 0xFF) + payload;
}

} // namespace

class tst_PdfInsides : public QObject
{
    Q_OBJECT

private slots:
    // A read-back that fails for another reason than lost pages says so.
    void helperRefusalsKeepTheirReason_data()
    {
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("kind");
        QTest::newRow("old identifier") << "The cleaned PDF kept its old identifier."
                                        << int(CleanError::Kind::verifyFailed);
        QTest::newRow("lost pages") << "The cleaned PDF lost pages." << int(CleanError::Kind::pdfPagesLost);
    }
    void helperRefusalsKeepTheirReason()
    {
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString helper = dir.filePath("helper");
        QFile script(helper);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho '%1' >&2\nexit %2\n").arg(said, QString::number(int(PdfHelper::Exit::Unverified))).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        const QString source = make(dir.path(), "pdf");
        const auto cleaned = PdfCleaner::clean(helper, source, dir.filePath("out.pdf"), "a.pdf", RunLimits{}, nullptr);
        QVERIFY(!cleaned);
        QFETCH(int, kind);
        QVERIFY(isCleanError(cleaned.error(), CleanError::Kind(kind)));
    }

    void pdfInsidesAreCleaned_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<QByteArray>>("absent");
        QTest::addColumn<QList<QByteArray>>("present");
        QTest::addColumn<QStringList>("report"); // findings the report must hold, "kept " or "removed " first
        QTest::addColumn<QString>("error");
        const QList<QByteArray> photo = planted("jpg");
        const QStringList none;
        QTest::newRow("made from a photo") << "img2pdf" << photo << QList<QByteArray>{"ICC_PROFILE"}
                                           << QStringList{"kept pictures/0/1/", "removed pictureMetadataRemoved/0/1/"}
                                           << QString();
        QTest::newRow("JPEG under Flate") << "flate" << photo << QList<QByteArray>{"/DCTDecode", "JFIF"} << none << QString();
        QTest::newRow("metadata on the page and picture")
            << "objects" << (photo + QList<QByteArray>{"TsyXmpQ7x", "TsyPageXmpQ7x", "TsyPieceQ7x", "/Metadata", "/PieceInfo"})
            << QList<QByteArray>() << QStringList{"removed xmpRemoved/0/3/", "removed applicationDataRemoved/0/1/"} << QString();
        QTest::newRow("trailer") << "trailer"
                                 << QList<QByteArray>{author, "TsyChecksumQ7x", "/DocChecksum", "5a5a0123456789ab", "6b6b0123456789ab"}
                                 << QList<QByteArray>{"/ID"} << QStringList{"removed documentInfoRemoved/0/0/"} << QString();
        QTest::newRow("picture that is no JPEG") << "not a jpeg" << QList<QByteArray>()
                                                << QList<QByteArray>{"\xFF\xD8\xFF\xE1\x7F\xFFTsyNotJpegQ7x"} << none << QString();
        QTest::newRow("attachments") << "attachments"
                                     << (photo + QList<QByteArray>{"TsyOfficeAuthorQ7x", "TsyDescQ7x", "D:2019", "/EmbeddedFile",
                                                                   "/FileAttachment", "phone.jpg", "report.odt"})
                                     << QList<QByteArray>{"/Im0 Do"}
                                     << QStringList{"removed attachmentRemoved/0/0/phone.jpg", "removed attachmentRemoved/0/0/report.odt"}
                                     << QString();
        QTest::newRow("review comments")
            << "comments" << QList<QByteArray>{author, "D:2019", "TsyUniqueQ7x", "TsySubjectQ7x"}
            << QList<QByteArray>{"TsyNoteQ7x", "/Popup"}
            << QStringList{"kept comments/1/1/", "removed annotationMetadataRemoved/0/2/"} << QString();
        QTest::newRow("scripts and actions")
            << "scripts" << QList<QByteArray>{"TsyDocScriptQ7x", "TsyOpenQ7x", "TsyPageOpenQ7x", "TsyKeyQ7x", "TsyNextQ7x",
                                              "/JavaScript", "/OpenAction", "/AA"}
            << QList<QByteArray>{"TsyLinkQ7x", "TsyValueQ7x", "/URI"}
            << QStringList{"kept links/0/1/", "kept formFields/0/1/", "removed scriptsRemoved/0/1/"} << QString();
        QTest::newRow("stream comments, base address, page date")
            << "streams" << QList<QByteArray>{"TsyStreamQ7x", "TsyBaseQ7x", "D:2019", "/LastModified"}
            << QList<QByteArray>{"/Im0 Do", "(TsyPct%Q7x)"}
            << QStringList{"removed streamCommentsRemoved/0/2/", "removed uriBaseRemoved/0/0/", "removed pageDatesRemoved/0/1/"}
            << QString();
        QTest::newRow("multi-picture JPEG") << "mpf" << (photo + QList<QByteArray>{"TsySecondQ7x", "MPF"})
                                            << QList<QByteArray>{"JFIF"} << QStringList{"removed pictureMetadataRemoved/0/1/"}
                                            << QString();
        QTest::newRow("JPEG 2000") << "jpx" << QList<QByteArray>{"TsyJpxXmpQ7x", "TsyJpxExifQ7x"}
                                   << QList<QByteArray>{"/JPXDecode", "jp2c"}
                                   << QStringList{"removed pictureMetadataRemoved/0/1/"} << QString();
        QTest::newRow("bookmarks and layers") << "outline" << QList<QByteArray>()
                                              << QList<QByteArray>{"TsyChapterQ7x", "TsyLayerQ7x"}
                                              << QStringList{"kept outlineEntries/0/2/", "kept layer/0/0/TsyLayerQ7x"} << QString();
        QTest::newRow("owner password only, AES-256") << "owner 256" << photo << QList<QByteArray>{"/Encrypt"}
                                                       << QStringList{"removed idReplaced/0/0/"} << QString();
        QTest::newRow("owner password only, RC4") << "owner 128" << photo << QList<QByteArray>{"/Encrypt"}
                                                  << QStringList{"kept keptFirstId/0/0/"} << QString();
        QTest::newRow("owner password only, AES-128") << "owner aes128" << photo << QList<QByteArray>{"/Encrypt"}
                                                      << QStringList{"kept keptFirstId/0/0/"} << QString();
        QTest::newRow("user password") << "user 256" << QList<QByteArray>() << QList<QByteArray>() << none << "password";
    }

    void pdfInsidesAreCleaned()
    {
        QFETCH(QString, kind);
        QFETCH(QList<QByteArray>, absent);
        QFETCH(QList<QByteArray>, present);
        QFETCH(QStringList, report);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString photo = make(dir.path(), "jpg", "phone.jpg"), pdf = dir.filePath("doc.pdf");
        const QByteArray jpeg = Fixtures::readAll(photo);
        const QByteArray when = "(D:20190304050607Z)";
        // One page showing one 64x48 picture; objects 6 and up are the row's.
        const auto onePicture = [&](const QByteArray &filter, const QByteArray &image, const QByteArray &imageExtra = {},
                                    const QByteArray &catalogExtra = {}, const QByteArray &pageExtra = {},
                                    const QList<QByteArray> &more = {}, const QByteArray &trailer = {},
                                    const QByteArray &content = "q 64 0 0 48 0 0 cm /Im0 Do Q") {
            Fixtures::writeAll(pdf, pdfBytes(QList<QByteArray>{
                "<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 64 48] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R "
                    + pageExtra + " >>",
                stream({}, content),
                stream("/Type /XObject /Subtype /Image /Width 64 /Height 48 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter "
                           + filter + " " + imageExtra, image)} + more, trailer));
        };
        if (kind == "flate") {
            onePicture("[/FlateDecode /DCTDecode]", qCompress(jpeg).mid(4), "/DecodeParms [null null]");
        } else if (kind == "objects") {
            const QByteArray xmp = stream("/Type /Metadata /Subtype /XML", "<x:xmpmeta>TsyXmpQ7x</x:xmpmeta>");
            const QByteArray pageXmp = stream("/Type /Metadata /Subtype /XML", "<x:xmpmeta>TsyPageXmpQ7x</x:xmpmeta>");
            onePicture("/DCTDecode", jpeg, "/Metadata 7 0 R", "/Metadata 6 0 R",
                       "/PieceInfo << /Tsy << /Private (TsyPieceQ7x) >> >> /Metadata 8 0 R", {xmp, xmp, pageXmp});
        } else if (kind == "trailer") {
            onePicture("/DCTDecode", jpeg, {}, {}, {}, {"<< /Author (" + QByteArray(author) + ") >>"},
                       "/Info 6 0 R /ID [<5a5a0123456789abcdef0123456789ab> <6b6b0123456789abcdef0123456789ab>] "
                       "/DocChecksum /TsyChecksumQ7x");
        } else if (kind == "not a jpeg") {
            onePicture("[/DCTDecode]", "\xFF\xD8\xFF\xE1\x7F\xFFTsyNotJpegQ7x");
        } else if (kind == "attachments") {
            const QByteArray odt = "<office:meta><meta:initial-creator>TsyOfficeAuthorQ7x</meta:initial-creator></office:meta>";
            onePicture("/DCTDecode", jpeg, {},
                       "/Names << /EmbeddedFiles << /Names [(phone.jpg) 6 0 R] >> >>", "/Annots [8 0 R]",
                       {"<< /Type /Filespec /F (phone.jpg) /UF (phone.jpg) /Desc (TsyDescQ7x) /EF << /F 7 0 R >> >>",
                        stream("/Type /EmbeddedFile /Params << /CreationDate " + when + " /ModDate " + when + " >>", jpeg),
                        "<< /Type /Annot /Subtype /FileAttachment /F 2 /Rect [0 0 8 8] /T (" + QByteArray(author)
                            + ") /FS << /Type /Filespec /UF (report.odt) /EF << /F 9 0 R >> >> >>",
                        stream("/Type /EmbeddedFile /Subtype /application#2Fvnd.oasis.opendocument.text", odt)});
        } else if (kind == "comments") {
            const QByteArray who = "/T (" + QByteArray(author) + ") /M " + when;
            onePicture("/DCTDecode", jpeg, {}, {}, "/Annots [6 0 R 7 0 R]",
                       {"<< /Type /Annot /Subtype /Text /Rect [0 0 8 8] /Contents (TsyNoteQ7x) " + who + " /CreationDate " + when
                            + " /NM (TsyUniqueQ7x) /Subj (TsySubjectQ7x) /Popup 7 0 R >>",
                        "<< /Type /Annot /Subtype /Popup /Rect [8 8 40 40] /Parent 6 0 R " + who + " >>"});
        } else if (kind == "scripts") {
            const auto script = [](const QByteArray &name) { return "<< /S /JavaScript /JS (app.alert\\(\"" + name + "\"\\)) >>"; };
            onePicture("/DCTDecode", jpeg, {},
                       "/Names << /JavaScript << /Names [(TsyDocScriptQ7x) 6 0 R] >> >> /OpenAction " + script("TsyOpenQ7x")
                           + " /AcroForm << /Fields [8 0 R] >>",
                       "/AA << /O " + script("TsyPageOpenQ7x") + " >> /Annots [7 0 R 8 0 R]",
                       {script("TsyDocScriptQ7x"),
                        "<< /Type /Annot /Subtype /Link /Rect [0 0 8 8] /Border [0 0 0] /A << /S /URI /URI "
                        "(https://example.org/TsyLinkQ7x) /Next " + script("TsyNextQ7x") + " >> >>",
                        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (TsyValueQ7x) /Rect [8 8 40 20] /AA << /K "
                            + script("TsyKeyQ7x") + " >> >>"});
        } else if (kind == "streams") {
            onePicture("/DCTDecode", jpeg, {}, "/URI << /Base (https://TsyBaseQ7x.example/) >>", "/LastModified " + when, {}, {},
                       "%TsyStreamQ7x made by hand\nq /Span << /ActualText (TsyPct%Q7x) >> BDC 64 0 0 48 0 0 cm /Im0 Do EMC Q "
                       "%TsyStreamQ7x again");
        } else if (kind == "mpf") {
            // An MPF index in the first picture, a second picture with its own comment after its end.
            const QByteArray second = jpeg.left(2) + segment('\xFE', "TsySecondQ7x") + jpeg.mid(2);
            onePicture("/DCTDecode", jpeg.left(2) + segment('\xE2', QByteArray("MPF\0II*\0", 8)) + jpeg.mid(2) + second);
        } else if (kind == "jpx") {
            QVERIFY(writeImage(dir.filePath("plain.png"), "PNG"));
            run("opj_compress", {"-i", dir.filePath("plain.png"), "-o", dir.filePath("plain.jp2")});
            QByteArray jp2 = Fixtures::readAll(dir.filePath("plain.jp2"));
            const qsizetype codestream = jp2.indexOf("jp2c") - 4;
            QVERIFY(codestream > 0);
            jp2.insert(codestream, box("xml ", "<x:xmpmeta>TsyJpxXmpQ7x</x:xmpmeta>")
                                       + box("uuid", QByteArray(16, '\x42') + QByteArray("Exif\0\0", 6) + "TsyJpxExifQ7x"));
            onePicture("/JPXDecode", jp2);
        } else if (kind == "outline") {
            onePicture("/DCTDecode", jpeg, {},
                       "/Outlines 6 0 R /OCProperties << /OCGs [9 0 R] /D << /ON [9 0 R] >> >>",
                       "/Resources << /XObject << /Im0 5 0 R >> /Properties << /L0 9 0 R >> >>",
                       {"<< /Type /Outlines /First 7 0 R /Last 8 0 R /Count 2 >>",
                        "<< /Title (TsyChapterQ7x) /Parent 6 0 R /Next 8 0 R /Dest [3 0 R /Fit] >>",
                        "<< /Title (Two) /Parent 6 0 R /Prev 7 0 R /Dest [3 0 R /Fit] >>",
                        "<< /Type /OCG /Name (TsyLayerQ7x) >>"});
        } else {
            run("img2pdf", {photo, "-o", kind == "img2pdf" ? pdf : dir.filePath("open.pdf")});
            const QStringList level = kind.endsWith("aes128") ? QStringList{"128", "--use-aes=y"}
                : kind.endsWith("128")                       ? QStringList{"128", "--use-aes=n"}
                                                             : QStringList{"256"};
            if (kind != "img2pdf")
                run("qpdf", QStringList{"--allow-weak-crypto", "--encrypt", kind.startsWith("user") ? "user-secret" : "",
                                        "owner-secret"} + level + QStringList{"--", dir.filePath("open.pdf"), pdf});
        }
        const QByteArray original = Fixtures::readAll(pdf);
        // There to be removed: in the file, or in the picture behind its filters.
        if (!absent.isEmpty())
            QCOMPARE(found(everythingIn(pdf) + pictureTagsIn(pdf), absent), absent);
        const QString before = dir.filePath("before.pdf");
        Fixtures::writeAll(before, original);

        const QString message = errorOf(pdf);
        if (!error.isEmpty()) {
            QVERIFY2(message.contains(error, Qt::CaseInsensitive), qPrintable(message));
            // Refused before any slow read: an exiftool that would answer
            // otherwise is never asked.
            ToolPaths unasked = ToolPaths::installed();
            unasked.resourceDirectory = dir.filePath("unasked");
            writeFakeTool(unasked.resourceDirectory, "echo 'exiftool was asked' >&2; exit 1");
            const QString refused = errorOf(pdf, unasked);
            QVERIFY2(refused.contains(error, Qt::CaseInsensitive) && !refused.contains("asked"), qPrintable(refused));
            // The user reads about their file, not the copy it was tried on.
            QVERIFY2(!message.contains(".tessaly-") && message.contains("doc.pdf"), qPrintable(message));
            QCOMPARE(Fixtures::readAll(pdf), original);
            return;
        }
        QCOMPARE(message, QString());
        const QList<QByteArray> idBefore = idOf(before);
        const QByteArray now = everythingIn(pdf);
        QCOMPARE(found(now, absent), QList<QByteArray>());
        QCOMPARE(found(now, present), present);
        if (absent.contains(planted("jpg").first()) && kind != "attachments")
            QCOMPARE(pictureTagsIn(pdf), QByteArray());
        run("qpdf", {"--check", pdf});
        QVERIFY(!run("qpdf", {"--show-object=trailer", pdf}).contains("/Info"));
        QCOMPARE(rendering(pdf), rendering(before));

        // The same file cleaned again, this time for its report: a new /ID
        // in both halves each time, but for a key that derives from the first.
        const auto second = PdfCleaner::clean(*ToolPaths::installed().pdfCleaner(), before, dir.filePath("again.pdf"),
                                              "doc.pdf", RunLimits{}, nullptr);
        QVERIFY(second);
        QStringList findings;
        for (const QString &line : lines(second.value().kept))
            findings.append("kept " + line);
        for (const QString &line : lines(second.value().removed))
            findings.append("removed " + line);
        for (const QString &expected : report)
            QVERIFY2(findings.contains(expected), qPrintable(expected + " not in: " + findings.join(", ")));
        const QList<QByteArray> idNow = idOf(pdf), idAgain = idOf(dir.filePath("again.pdf"));
        QCOMPARE(idNow.size(), 2);
        QCOMPARE(idAgain.size(), 2);
        const bool keyBound = report.contains("kept keptFirstId/0/0/");
        QCOMPARE(idNow[0] == idAgain[0], keyBound);
        QCOMPARE(idNow[0] == idBefore.value(0), keyBound);
        QVERIFY(idNow[1] != idAgain[1] && idNow[1] != idBefore.value(1) && idNow[1] != idNow[0]);
    }
};

QTEST_GUILESS_MAIN(tst_PdfInsides)
#include "tst_pdfinsides.moc"
