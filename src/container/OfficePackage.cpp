#include "OfficePackage.h"

#include "JpegContainer.h"
#include "PngContainer.h"
#include "WebpContainer.h"
#include "XmlScrub.h"
#include "ZipArchive.h"

#include <QXmlStreamReader>

namespace OfficePackage {

namespace {

enum class Family { ooxml, odf, epub };

Family familyOf(SupportedFormat format)
{
    switch (format) {
    case SupportedFormat::odt:
    case SupportedFormat::ods:
    case SupportedFormat::odp:
        return Family::odf;
    case SupportedFormat::epub:
        return Family::epub;
    default:
        return Family::ooxml;
    }
}

// What becomes of one part, by its name alone.
struct PartPlan
{
    enum { copy, drop, metaStub, xml, picture } what = copy;
    XmlPart xmlPart = XmlPart::ooxml;
};

bool named(const QByteArray &name, const char *fileName)
{
    return name == fileName || name.endsWith(QByteArray("/") + fileName);
}

bool isPicture(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    return lower.endsWith(".jpg") || lower.endsWith(".jpeg") || lower.endsWith(".png") || lower.endsWith(".webp");
}

// Pictures the app has no writer for stay as they are, and the log says so.
bool isOtherPicture(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const char *extension : {".gif", ".tif", ".tiff", ".bmp", ".emf", ".wmf", ".svg", ".heic", ".avif"})
        if (lower.endsWith(extension))
            return true;
    return false;
}

PartPlan planFor(Family family, const QByteArray &name)
{
    if (name.endsWith('/'))
        return {};
    if (isPicture(name) && !name.startsWith("Thumbnails/") && !name.startsWith("docProps/"))
        return {PartPlan::picture};
    switch (family) {
    case Family::ooxml:
        // Core, application and custom properties and the thumbnail live
        // here; a person list (names, e-mail addresses) beside the comments.
        if (name.startsWith("docProps/") || name == "word/people.xml")
            return {PartPlan::drop};
        if (name.endsWith(".rels"))
            return {PartPlan::xml, XmlPart::relationships};
        if (name == "[Content_Types].xml")
            return {PartPlan::xml, XmlPart::contentTypes};
        if (name.endsWith(".xml"))
            return {PartPlan::xml, XmlPart::ooxml};
        return {};
    case Family::odf:
        if (named(name, "settings.xml") || name.startsWith("Thumbnails/"))
            return {PartPlan::drop};
        if (named(name, "meta.xml"))
            return {PartPlan::metaStub};
        if (name == "META-INF/manifest.xml")
            return {PartPlan::xml, XmlPart::odfManifest};
        if (named(name, "content.xml") || named(name, "styles.xml"))
            return {PartPlan::xml, XmlPart::odf};
        return {};
    case Family::epub:
        if (name == "META-INF/calibre_bookmarks.txt" || name.startsWith("iTunesMetadata"))
            return {PartPlan::drop};
        if (name.endsWith(".opf"))
            return {PartPlan::xml, XmlPart::epubPackage};
        return {};
    }
    return {};
}

// ODF keeps a meta.xml with nothing in it: its root, in the document's
// version.
QByteArray metaStub(const QByteArray &original)
{
    QXmlStreamReader reader(original);
    QString version;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::DTD)
            break;
        if (token == QXmlStreamReader::StartElement) {
            version = reader.attributes().value(QStringLiteral("office:version")).toString();
            break;
        }
    }
    QByteArray stub = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta "
                      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"";
    bool plain = !version.isEmpty();
    for (const QChar c : std::as_const(version))
        plain = plain && (c.isDigit() || c == u'.');
    if (plain)
        stub += " office:version=\"" + version.toLatin1() + "\"";
    stub += "><office:meta/></office:document-meta>";
    return stub;
}

// Whether a meta.xml holds anything beyond an empty office:meta.
bool metaSaysSomething(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::Comment
            || token == QXmlStreamReader::ProcessingInstruction)
            return true;
        if (token == QXmlStreamReader::StartElement && ++depth > 2)
            return true;
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token == QXmlStreamReader::Characters && !reader.isWhitespace())
            return true;
    }
    return reader.hasError();
}

Expected<QByteArray> cleanedPicture(const QByteArray &name, const QByteArray &bytes)
{
    const QByteArray lower = name.toLower();
    if (lower.endsWith(".png"))
        return cleanPng(bytes);
    if (lower.endsWith(".webp"))
        return cleanWebp(bytes);
    return cleanJpeg(bytes);
}

ContainerWalk walkedPicture(const QByteArray &name, const QByteArray &bytes)
{
    const QByteArray lower = name.toLower();
    if (lower.endsWith(".png"))
        return walkPng(bytes);
    if (lower.endsWith(".webp"))
        return walkWebp(bytes);
    return walkJpeg(bytes);
}

OfficeCleaning refusedWith(OfficeCleaning::Problem problem, QString detail)
{
    OfficeCleaning result;
    result.problem = problem;
    result.detail = std::move(detail);
    return result;
}

OfficeCleaning::Problem problemOf(const ZipReading &reading)
{
    return reading.problem == ZipReading::Problem::tooLarge ? OfficeCleaning::Problem::tooLarge
                                                            : OfficeCleaning::Problem::damaged;
}

QSet<QByteArray> droppedParts(Family family, const QList<ZipEntry> &entries)
{
    QSet<QByteArray> dropped;
    for (const ZipEntry &entry : entries)
        if (planFor(family, entry.name).what == PartPlan::drop)
            dropped.insert(entry.name);
    return dropped;
}

ContainerItem piece(const QByteArray &name, ItemRole role, QString detail = {})
{
    ContainerItem item;
    item.place = QString::fromUtf8(name);
    item.type = "part";
    item.role = role;
    item.keptBecause = role == ItemRole::content ? KeptBecause::content : KeptBecause::structure;
    item.detail = std::move(detail);
    return item;
}

} // namespace

bool handles(SupportedFormat format)
{
    const FormatGroup group = groupOf(format);
    return group == FormatGroup::office || group == FormatGroup::ebook;
}

OfficeCleaning clean(SupportedFormat format, QByteArrayView archive)
{
    const Family family = familyOf(format);
    ZipReading reading = ZipArchive::read(archive);
    if (reading.problem != ZipReading::Problem::none)
        return refusedWith(problemOf(reading), reading.detail);
    const QSet<QByteArray> dropped = droppedParts(family, reading.entries);

    OfficeCleaning result;
    QList<ZipEntry> kept;
    for (ZipEntry &entry : reading.entries) {
        const PartPlan plan = planFor(family, entry.name);
        const QString name = QString::fromUtf8(entry.name);
        switch (plan.what) {
        case PartPlan::drop:
            result.removed.append({name, QString()});
            continue;
        case PartPlan::metaStub:
            if (metaSaysSomething(entry.data))
                result.removed.append({name, QStringLiteral("office:meta")});
            entry.data = metaStub(entry.data);
            break;
        case PartPlan::xml: {
            XmlScrubbed scrubbed = XmlScrub::scrub(entry.data, plan.xmlPart, entry.name, dropped);
            if (scrubbed.entities)
                return refusedWith(OfficeCleaning::Problem::entities, name);
            if (!scrubbed.damage.isEmpty())
                return refusedWith(OfficeCleaning::Problem::damaged, name + QStringLiteral(": ") + scrubbed.damage);
            if (!scrubbed.removed.isEmpty())
                result.removed.append({name, scrubbed.removed.join(u' ')});
            for (const auto &[element, text] : std::as_const(scrubbed.kept)) {
                ContainerItem item = piece(entry.name, ItemRole::content, text);
                item.type = element.toUtf8();
                result.kept.append(item);
            }
            entry.data = std::move(scrubbed.xml);
            break;
        }
        case PartPlan::picture: {
            auto picture = cleanedPicture(entry.name, entry.data);
            if (!picture)
                return refusedWith(OfficeCleaning::Problem::damaged, name);
            if (picture.value() != entry.data)
                result.removed.append({name, QStringLiteral("picture metadata")});
            entry.data = std::move(picture).value();
            break;
        }
        case PartPlan::copy:
            if (isOtherPicture(entry.name)) {
                ContainerItem picture = piece(entry.name, ItemRole::content);
                picture.type = "picture";
                result.kept.append(picture);
            }
            break;
        }
        entry.stored = family != Family::ooxml && entry.name == "mimetype";
        // ODF and EPUB readers find the kind in the first bytes.
        if (entry.stored)
            kept.prepend(std::move(entry));
        else
            kept.append(std::move(entry));
    }
    result.archive = ZipArchive::write(kept);
    return result;
}

ContainerWalk walk(SupportedFormat format, QByteArrayView archive)
{
    ContainerWalk walked;
    const ZipHeaders headers = ZipArchive::headers(archive);
    if (headers.damage) {
        walked.damage = *headers.damage;
        return walked;
    }
    if (headers.archiveCommentBytes > 0) {
        ContainerItem comment = piece("ZIP", ItemRole::identifying);
        comment.type = "comment";
        walked.items.append(comment);
    }
    // Told once each, with how many entries carry it.
    int dated = 0, extras = 0, comments = 0;
    for (const ZipHeaderFacts &entry : headers.entries) {
        dated += entry.dosDate != ZipArchive::fixedDosDate || entry.dosTime != ZipArchive::fixedDosTime;
        extras += entry.extraBytes > 0;
        comments += entry.commentBytes > 0;
    }
    for (const auto &[count, type] : {std::pair {dated, "date"}, {extras, "extra field"}, {comments, "entry comment"}}) {
        if (count == 0)
            continue;
        ContainerItem header = piece("ZIP", ItemRole::identifying, QString::number(count));
        header.type = type;
        walked.items.append(header);
    }

    const Family family = familyOf(format);
    const ZipReading reading = ZipArchive::read(archive);
    if (reading.problem != ZipReading::Problem::none) {
        walked.damage = reading.detail;
        return walked;
    }
    const QSet<QByteArray> dropped = droppedParts(family, reading.entries);
    for (const ZipEntry &entry : reading.entries) {
        const PartPlan plan = planFor(family, entry.name);
        switch (plan.what) {
        case PartPlan::drop:
            walked.items.append(piece(entry.name, ItemRole::identifying));
            break;
        case PartPlan::metaStub:
            walked.items.append(piece(entry.name, metaSaysSomething(entry.data) ? ItemRole::identifying : ItemRole::needed));
            break;
        case PartPlan::xml: {
            const XmlScrubbed scrubbed = XmlScrub::scrub(entry.data, plan.xmlPart, entry.name, dropped);
            if (scrubbed.entities || !scrubbed.damage.isEmpty()) {
                walked.damage = QString::fromUtf8(entry.name);
                return walked;
            }
            walked.items.append(piece(entry.name, scrubbed.removed.isEmpty() ? ItemRole::needed : ItemRole::identifying,
                                      scrubbed.removed.join(u' ')));
            break;
        }
        case PartPlan::picture: {
            const ContainerWalk picture = walkedPicture(entry.name, entry.data);
            const auto identifying = std::find_if(picture.items.begin(), picture.items.end(), [](const ContainerItem &item) {
                return item.role == ItemRole::identifying;
            });
            if (picture.damage || identifying != picture.items.end())
                walked.items.append(piece(entry.name, ItemRole::identifying,
                                          picture.damage ? *picture.damage : QString::fromUtf8(identifying->type)));
            else
                walked.items.append(piece(entry.name, ItemRole::needed));
            break;
        }
        case PartPlan::copy:
            walked.items.append(piece(entry.name, ItemRole::needed));
            break;
        }
    }
    return walked;
}

} // namespace OfficePackage
