#include "OfficeFixtures.h"

#include "Fixtures.h"

#include <ZipArchive.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

namespace OfficeFixtures {

namespace {

using namespace Fixtures;
using Entry = QPair<QByteArray, QByteArray>;
using Entries = QList<Entry>;

constexpr char reviewer[] = "TsyReviewerQ7x";
constexpr char company[] = "TsyCompanyQ7x";
constexpr char printer[] = "TsyPrinterQ7x";
constexpr char producer[] = "TsyProducerQ7x";
constexpr char generator[] = "TsyGeneratorQ7x";
constexpr char zipNote[] = "TsyZipNoteQ7x";
constexpr char markedDate[] = "2019-03-04T05:06:07";

QByteArray fill(QByteArray text)
{
    return text.replace("@AUTHOR@", author).replace("@TITLE@", title).replace("@OWNER@", owner)
        .replace("@REVIEWER@", reviewer).replace("@COMPANY@", company).replace("@PRINTER@", printer)
        .replace("@PRODUCER@", producer).replace("@GENERATOR@", generator).replace("@DATE@", markedDate)
        .replace("@COMMENT@", comment).replace("@BOOKTITLE@", bookTitle).replace("@BOOKAUTHOR@", bookAuthor);
}

// A photo with the photo marks planted, to be embedded.
QByteArray markedPhoto()
{
    QTemporaryDir dir;
    return readAll(Fixtures::make(dir.path(), "jpg"));
}

QByteArray thumbnail()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.png");
    if (!writeImage(path, "PNG", QSize(16, 12)))
        qFatal("cannot write a thumbnail");
    return readAll(path);
}

const char wordNs[] = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const char relsNs[] = "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"";
const char relType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

Entries docx()
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    Entries e;
    e.append(Entry("[Content_Types].xml", head + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/comments.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml\"/>"
        "<Override PartName=\"/word/settings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
        "<Override PartName=\"/docProps/custom.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.custom-properties+xml\"/>"
        "</Types>"));
    e.append(Entry("_rels/.rels", head + "<Relationships " + relsNs + ">"
        "<Relationship Id=\"rId1\" Type=\"" + relType + "officeDocument\" Target=\"word/document.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"" + relType + "extended-properties\" Target=\"docProps/app.xml\"/>"
        "<Relationship Id=\"rId4\" Type=\"" + relType + "custom-properties\" Target=\"docProps/custom.xml\"/>"
        "<Relationship Id=\"rId5\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail\" Target=\"docProps/thumbnail.png\"/>"
        "</Relationships>"));
    e.append(Entry("docProps/core.xml", fill(head + "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:title>@TITLE@</dc:title><dc:creator>@AUTHOR@</dc:creator>"
        "<cp:lastModifiedBy>@OWNER@</cp:lastModifiedBy><dcterms:created xsi:type=\"dcterms:W3CDTF\">@DATE@Z</dcterms:created>"
        "</cp:coreProperties>")));
    e.append(Entry("docProps/app.xml", fill(head + "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
        "<Application>@GENERATOR@</Application><Company>@COMPANY@</Company><TotalTime>42</TotalTime></Properties>")));
    e.append(Entry("docProps/custom.xml", fill(head + "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
        "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\"><property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" "
        "pid=\"2\" name=\"Reviewer\"><vt:lpwstr>@COMMENT@</vt:lpwstr></property></Properties>")));
    e.append(Entry("docProps/thumbnail.png", thumbnail()));
    e.append(Entry("word/_rels/document.xml.rels", head + "<Relationships " + relsNs + ">"
        "<Relationship Id=\"rId1\" Type=\"" + relType + "comments\" Target=\"comments.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"" + relType + "settings\" Target=\"settings.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"" + relType + "image\" Target=\"media/image1.jpg\"/></Relationships>"));
    e.append(Entry("word/_rels/settings.xml.rels", fill(head + "<Relationships " + relsNs + "><Relationship Id=\"rId1\" Type=\""
        + relType + "attachedTemplate\" Target=\"file:///home/@OWNER@/Templates/Normal.dotm\" TargetMode=\"External\"/></Relationships>")));
    e.append(Entry("word/settings.xml", fill(head + "<w:settings " + wordNs + "><w:attachedTemplate r:id=\"rId1\"/><w:trackRevisions/>"
        "<w:rsids><w:rsidRoot w:val=\"00C0FFEE\"/><w:rsid w:val=\"00C0FFEE\"/></w:rsids></w:settings>")));
    e.append(Entry("word/comments.xml", fill(head + "<w:comments " + wordNs + "><w:comment w:id=\"0\" w:author=\"@REVIEWER@\" "
        "w:date=\"@DATE@Z\" w:initials=\"TRQ\"><w:p w:rsidR=\"00C0FFEE\"><w:r><w:t>Comment body stays</w:t></w:r></w:p></w:comment></w:comments>")));
    e.append(Entry("word/document.xml", fill(head + "<w:document " + wordNs + " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>"
        "<w:p w:rsidR=\"00C0FFEE\" w:rsidRDefault=\"00C0FFEE\"><w:commentRangeStart w:id=\"0\"/><w:r w:rsidR=\"00C0FFEE\"><w:t xml:space=\"preserve\">First words of the document </w:t></w:r>"
        "<w:ins w:id=\"1\" w:author=\"@REVIEWER@\" w:date=\"@DATE@Z\"><w:r><w:t>with an insertion</w:t></w:r></w:ins>"
        "<w:del w:id=\"2\" w:author=\"@REVIEWER@\" w:date=\"@DATE@Z\"><w:r><w:delText> and a deletion</w:delText></w:r></w:del>"
        "<w:commentRangeEnd w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r></w:p>"
        "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"609600\" cy=\"457200\"/><wp:docPr id=\"1\" name=\"Picture 1\"/>"
        "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic>"
        "<pic:nvPicPr><pic:cNvPr id=\"1\" name=\"image1.jpg\"/><pic:cNvPicPr/></pic:nvPicPr>"
        "<pic:blipFill><a:blip r:embed=\"rId3\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
        "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"609600\" cy=\"457200\"/></a:xfrm><a:prstGeom prst=\"rect\"/></pic:spPr>"
        "</pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>"
        "<w:p><w:r><w:t>Last line of the document</w:t></w:r></w:p></w:body></w:document>")));
    e.append(Entry("word/media/image1.jpg", markedPhoto()));
    return e;
}

const char odfNs[] = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                     "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                     "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
                     "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                     "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" "
                     "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" office:version=\"1.3\"";

Entries odt()
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Entries e;
    e.append(Entry("mimetype", "application/vnd.oasis.opendocument.text"));
    e.append(Entry("META-INF/manifest.xml", head + "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.3\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"settings.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"Thumbnails/thumbnail.png\" manifest:media-type=\"image/png\"/>"
        "<manifest:file-entry manifest:full-path=\"Pictures/photo.jpg\" manifest:media-type=\"image/jpeg\"/>"
        "</manifest:manifest>"));
    e.append(Entry("meta.xml", fill(head + "<office:document-meta " + odfNs + "><office:meta><meta:initial-creator>@AUTHOR@</meta:initial-creator>"
        "<dc:creator>@OWNER@</dc:creator><dc:title>@TITLE@</dc:title><meta:generator>@GENERATOR@</meta:generator>"
        "<meta:creation-date>@DATE@</meta:creation-date><meta:editing-cycles>7</meta:editing-cycles></office:meta></office:document-meta>")));
    e.append(Entry("settings.xml", fill(head + "<office:document-settings " + odfNs + "><office:settings><config:config-item-set config:name=\"ooo:configuration-settings\">"
        "<config:config-item config:name=\"PrinterName\" config:type=\"string\">@PRINTER@</config:config-item>"
        "</config:config-item-set></office:settings></office:document-settings>")));
    e.append(Entry("styles.xml", head + "<office:document-styles " + odfNs + "><office:styles/></office:document-styles>"));
    e.append(Entry("content.xml", fill(head + "<office:document-content " + odfNs + "><office:body><office:text>"
        "<text:tracked-changes><text:changed-region text:id=\"ct1\"><text:insertion><office:change-info>"
        "<dc:creator>@REVIEWER@</dc:creator><dc:date>@DATE@</dc:date></office:change-info></text:insertion></text:changed-region></text:tracked-changes>"
        "<text:p>First words of the document <text:change-start text:change-id=\"ct1\"/>with an insertion<text:change-end text:change-id=\"ct1\"/>"
        "<office:annotation><dc:creator>@REVIEWER@</dc:creator><dc:date>@DATE@</dc:date><meta:creator-initials>TRQ</meta:creator-initials>"
        "<text:p>Comment body stays</text:p></office:annotation></text:p>"
        "<text:p><draw:frame draw:name=\"photo\" svg:width=\"2cm\" svg:height=\"1.5cm\" text:anchor-type=\"as-char\">"
        "<draw:image xlink:href=\"Pictures/photo.jpg\" xlink:type=\"simple\"/></draw:frame></text:p>"
        "<text:p>Last line of the document</text:p></office:text></office:body></office:document-content>")));
    e.append(Entry("Thumbnails/thumbnail.png", thumbnail()));
    e.append(Entry("Pictures/photo.jpg", markedPhoto()));
    return e;
}

Entries epub()
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const QByteArray xhtml = head + "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">";
    Entries e;
    e.append(Entry("mimetype", "application/epub+zip"));
    e.append(Entry("META-INF/container.xml", head + "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
        "<rootfiles><rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"));
    e.append(Entry("META-INF/calibre_bookmarks.txt", fill("encoding=json+base64:\n@OWNER@ read up to here")));
    e.append(Entry("OEBPS/content.opf", fill(head + "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"uid\" "
        "prefix=\"calibre: https://calibre-ebook.com\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:opf=\"http://www.idpf.org/2007/opf\" xmlns:calibre=\"http://calibre.kovidgoyal.net/2009/metadata\">"
        "<dc:identifier id=\"uid\">urn:uuid:8c1e8f2a-1111-4222-8333-944455556666</dc:identifier>"
        "<dc:title>@BOOKTITLE@</dc:title><dc:creator id=\"aut\">@BOOKAUTHOR@</dc:creator><dc:language>en</dc:language>"
        "<dc:contributor opf:role=\"bkp\">@PRODUCER@ 2</dc:contributor>"
        "<dc:contributor id=\"c3\">@PRODUCER@ 3</dc:contributor><meta refines=\"#c3\" property=\"role\" scheme=\"marc:relators\">bkp</meta>"
        "<meta property=\"dcterms:modified\">@DATE@Z</meta>"
        "<meta name=\"calibre:user_metadata\" content=\"@OWNER@\"/><meta property=\"calibre:author_link_map\">@COMMENT@</meta>"
        "<meta name=\"generator\" content=\"@GENERATOR@\"/><calibre:note>@COMPANY@</calibre:note>"
        "</metadata><manifest><item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>"
        "<item id=\"ch\" href=\"chapter.xhtml\" media-type=\"application/xhtml+xml\"/>"
        "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>"
        "<item id=\"img\" href=\"images/photo.jpg\" media-type=\"image/jpeg\"/></manifest>"
        "<spine><itemref idref=\"ch\"/></spine></package>")));
    e.append(Entry("OEBPS/nav.xhtml", xhtml + "<head><title>Contents</title></head><body><nav epub:type=\"toc\"><ol>"
        "<li><a href=\"chapter.xhtml\">Chapter</a></li></ol></nav></body></html>"));
    e.append(Entry("OEBPS/chapter.xhtml", xhtml + "<head><title>Chapter</title><link rel=\"stylesheet\" href=\"style.css\"/></head>"
        "<body><h1>Chapter one</h1><p>The chapter's text stays as it was.</p><img src=\"images/photo.jpg\" alt=\"\"/></body></html>"));
    e.append(Entry("OEBPS/style.css", "p { margin: 0 }\n"));
    e.append(Entry("OEBPS/images/photo.jpg", markedPhoto()));
    return e;
}

QByteArray flatOdf(const QString &extension)
{
    const bool sheet = extension == "xlsx" || extension == "ods";
    const QByteArray kind = sheet ? "spreadsheet" : "presentation";
    const QByteArray annotation = "<office:annotation><dc:creator>@REVIEWER@</dc:creator><dc:date>@DATE@</dc:date>"
                                  "<text:p>Comment body stays</text:p></office:annotation>";
    const QByteArray body = sheet
        ? "<table:table table:name=\"Sheet1\"><table:table-row><table:table-cell office:value-type=\"string\">"
          + annotation + "<text:p>First cell of the sheet</text:p></table:table-cell></table:table-row></table:table>"
        : "<draw:page draw:name=\"page1\">" + annotation + "<draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"10cm\" "
          "svg:height=\"2cm\"><draw:text-box><text:p>First words of the slide</text:p></draw:text-box></draw:frame></draw:page>";
    return fill("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document " + QByteArray(odfNs)
        + " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" office:mimetype=\"application/vnd.oasis.opendocument."
        + kind + "\"><office:meta><meta:initial-creator>@AUTHOR@</meta:initial-creator><dc:creator>@OWNER@</dc:creator>"
        "<dc:title>@TITLE@</dc:title><meta:creation-date>@DATE@</meta:creation-date></office:meta><office:body><office:"
        + kind + ">" + body + "</office:" + kind + "></office:body></office:document>");
}

// Converts `source` into `extension` beside `target`, with a profile of its own
// so that runs side by side do not share one.
void convert(const QString &source, const QString &extension, const QString &target)
{
    QTemporaryDir profile, out;
    run("soffice", {"-env:UserInstallation=file://" + profile.path(), "--headless", "--convert-to", extension,
                    "--outdir", out.path(), source});
    const QString made = out.filePath(QFileInfo(source).completeBaseName() + "." + extension);
    QFile::remove(target);
    if (!QFile::copy(made, target))
        qFatal("LibreOffice made no %s of %s", qPrintable(extension), qPrintable(source));
}

void putLe16(QByteArray &out, quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    out.append(b, 2);
}

void putLe32(QByteArray &out, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    out.append(b, 4);
}

} // namespace

bool haveLibreOffice()
{
    return !QStandardPaths::findExecutable("soffice").isEmpty();
}

bool needsLibreOffice(const QString &extension)
{
    return extension != "epub";
}

void make(const QString &path, const QString &extension)
{
    if (extension == "docx" || extension == "odt" || extension == "epub") {
        writeAll(path, zipped(extension == "docx" ? docx() : extension == "odt" ? odt() : epub(), zipNote));
        return;
    }
    QTemporaryDir dir;
    const QString flat = dir.filePath(extension == "xlsx" || extension == "ods" ? "sample.fods" : "sample.fodp");
    writeAll(flat, flatOdf(extension));
    convert(flat, extension, path);
}

QList<QByteArray> planted(const QString &extension)
{
    const QList<QByteArray> photo {serial, exifDate};
    if (extension == "docx")
        return QList<QByteArray> {author, title, owner, reviewer, company, generator, comment, markedDate, "w:rsid",
                                  "thumbnail", "attachedTemplate", zipNote} + photo;
    if (extension == "odt")
        return QList<QByteArray> {author, title, owner, reviewer, printer, generator, markedDate, "TRQ", "thumbnail",
                                  zipNote} + photo;
    if (extension == "epub")
        return QList<QByteArray> {owner, producer, generator, company, comment, markedDate, "calibre_bookmarks", zipNote}
            + photo;
    return {author, title, owner, reviewer, "2019-03-04T05:06"};
}

QByteArray rendering(const QString &path)
{
    if (path.endsWith(".epub")) {
        QByteArray book;
        for (const ZipEntry &entry : ZipArchive::read(readAll(path)).entries)
            if (entry.name.endsWith(".xhtml") || entry.name.endsWith(".css"))
                book += entry.name + "\n" + entry.data + "\n";
        return book;
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("rendered.pdf");
    convert(path, "pdf", pdf);
    // The words, and the pages drawn small: a picture that went missing or
    // changed shows there.
    return run("pdftotext", {"-layout", pdf, "-"}) + run("pdftoppm", {"-r", "24", "-gray", pdf});
}

QByteArray unpacked(const QString &path)
{
    const ZipReading reading = ZipArchive::read(readAll(path));
    if (reading.problem != ZipReading::Problem::none)
        qFatal("%s does not unpack: %s", qPrintable(path), qPrintable(reading.detail));
    QByteArray all;
    for (const ZipEntry &entry : reading.entries)
        all += entry.name + "\n" + entry.data + "\n";
    return all;
}

QByteArray zipped(const Entries &entries, const QByteArray &comment)
{
    // 2019-03-04 05:06:06 in DOS terms, and the same time as Unix seconds.
    const quint16 date = quint16(((2019 - 1980) << 9) | (3 << 5) | 4), time = quint16((5 << 11) | (6 << 5) | 3);
    QByteArray extra;
    putLe16(extra, 0x5455);
    putLe16(extra, 5);
    extra.append('\1');
    putLe32(extra, 1551675966u);
    QByteArray out, directory;
    for (const auto &[name, data] : entries) {
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(out.size());
        QByteArray common;
        putLe16(common, 0);
        putLe16(common, 0);
        putLe16(common, time);
        putLe16(common, date);
        putLe32(common, crc);
        putLe32(common, quint32(data.size()));
        putLe32(common, quint32(data.size()));
        putLe16(common, quint16(name.size()));
        putLe16(common, quint16(extra.size()));
        putLe32(out, 0x04034b50);
        putLe16(out, 10);
        out += common + name + extra + data;
        putLe32(directory, 0x02014b50);
        putLe16(directory, 0x031e);
        putLe16(directory, 10);
        directory += common;
        putLe16(directory, 0);
        putLe16(directory, 0);
        putLe16(directory, 0);
        putLe32(directory, 0x81a40000u);
        putLe32(directory, offset);
        directory += name + extra;
    }
    const quint32 start = quint32(out.size());
    out += directory;
    putLe32(out, 0x06054b50);
    putLe32(out, 0);
    putLe16(out, quint16(entries.size()));
    putLe16(out, quint16(entries.size()));
    putLe32(out, quint32(directory.size()));
    putLe32(out, start);
    putLe16(out, quint16(comment.size()));
    return out + comment;
}

} // namespace OfficeFixtures
