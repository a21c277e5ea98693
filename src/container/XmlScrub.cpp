#include "XmlScrub.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString wordMain = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString wordStrict = QStringLiteral("http://purl.oclc.org/ooxml/wordprocessingml/main");
const QString sheetMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString sheetAbsPath = QStringLiteral("http://schemas.microsoft.com/office/spreadsheetml/2010/11/ac");
const QString sheetThreads = QStringLiteral("http://schemas.microsoft.com/office/spreadsheetml/2018/threadedcomments");
const QString slideMain = QStringLiteral("http://schemas.openxmlformats.org/presentationml/2006/main");
const QString slideAuthors = QStringLiteral("http://schemas.microsoft.com/office/powerpoint/2018/8/main");
const QString odfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
// Presentations keep their slides' comments in OpenOffice's own namespace.
const QString odfPresentationOffice = QStringLiteral("http://openoffice.org/2009/office");
const QString odfMeta = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:meta:1.0");
const QString odfManifest = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
const QString dublinCore = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString opf = QStringLiteral("http://www.idpf.org/2007/opf");
const QString calibre = QStringLiteral("http://calibre.kovidgoyal.net/2009/metadata");

struct Name
{
    QString uri;
    QString local;
    bool is(const QString &u, QLatin1StringView l) const { return uri == u && local == l; }
};

// What happens to an element: kept (its attributes judged one by one),
// dropped with everything in it, or kept with its text made neutral.
struct Fate
{
    enum { keep, drop, neutralText } what = keep;
    QString text;
};

struct AttributeFate
{
    enum { keep, drop, neutral } what = keep;
    QString value;
};

bool isWord(const QString &uri)
{
    return uri == wordMain || uri == wordStrict;
}

// "word/_rels/document.xml.rels" and "media/a.png" → "word/media/a.png".
QByteArray resolvedTarget(const QByteArray &relsName, const QString &target)
{
    QByteArray base;
    const qsizetype rels = relsName.lastIndexOf("_rels/");
    if (rels > 0)
        base = relsName.left(rels);
    QByteArray path = target.toUtf8();
    if (path.startsWith('/'))
        path = path.mid(1);
    else
        path = base + path;
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            parts.append(part);
        }
    }
    return parts.join('/');
}

class Scrubber
{
public:
    Scrubber(XmlPart part, QByteArray partName, const QSet<QByteArray> &dropped)
        : m_part(part), m_partName(std::move(partName)), m_dropped(dropped) { }

    XmlScrubbed run(QByteArrayView xml);

private:
    Fate fateOf(const Name &element, const QXmlStreamAttributes &attributes, const Name &parent) const;
    AttributeFate fateOf(const Name &element, const QXmlStreamAttribute &attribute) const;
    void note(const QString &what)
    {
        if (!m_result.removed.contains(what))
            m_result.removed.append(what);
    }
    void collectRefinedBookProducers(QByteArrayView xml);

    XmlPart m_part;
    QByteArray m_partName;
    const QSet<QByteArray> &m_dropped;
    QSet<QString> m_bookProducers; // EPUB 3: ids of contributors refined as "bkp"
    XmlScrubbed m_result;
};

Fate Scrubber::fateOf(const Name &element, const QXmlStreamAttributes &attributes, const Name &parent) const
{
    switch (m_part) {
    case XmlPart::ooxml:
        if ((isWord(element.uri) && (element.local == u"rsids" || element.local == u"attachedTemplate"))
            || element.is(sheetAbsPath, QLatin1StringView("absPath")))
            return {Fate::drop, {}};
        if (element.is(sheetMain, QLatin1StringView("author")) && parent.is(sheetMain, QLatin1StringView("authors")))
            return {Fate::neutralText, QString::fromLatin1(XmlScrub::neutralAuthor)};
        break;
    case XmlPart::relationships:
        if (element.local == u"Relationship") {
            const QString type = attributes.value(QStringLiteral("Type")).toString();
            const QString target = attributes.value(QStringLiteral("Target")).toString();
            const bool external = attributes.value(QStringLiteral("TargetMode")) == u"External";
            if (type.endsWith(u"/attachedTemplate")
                || (!external && m_dropped.contains(resolvedTarget(m_partName, target))))
                return {Fate::drop, {}};
        }
        break;
    case XmlPart::contentTypes:
        if (element.local == u"Override"
            && m_dropped.contains(attributes.value(QStringLiteral("PartName")).toUtf8().mid(1)))
            return {Fate::drop, {}};
        break;
    case XmlPart::odf: {
        const bool annotation = parent.is(odfOffice, QLatin1StringView("annotation"))
            || parent.is(odfPresentationOffice, QLatin1StringView("annotation"));
        const bool change = parent.is(odfOffice, QLatin1StringView("change-info"));
        if (!annotation && !change)
            break;
        if (element.is(dublinCore, QLatin1StringView("creator")))
            return {Fate::neutralText, QString::fromLatin1(XmlScrub::neutralAuthor)};
        if (element.is(odfMeta, QLatin1StringView("creator-initials")))
            return {Fate::neutralText, QString::fromLatin1(XmlScrub::neutralInitials)};
        if (element.is(dublinCore, QLatin1StringView("date"))) {
            // A change must say when; a comment need not.
            return change ? Fate {Fate::neutralText, QString::fromLatin1(XmlScrub::neutralOdfDate)} : Fate {Fate::drop, {}};
        }
        break;
    }
    case XmlPart::odfManifest:
        if (element.is(odfManifest, QLatin1StringView("file-entry"))
            && m_dropped.contains(attributes.value(odfManifest, QStringLiteral("full-path")).toUtf8()))
            return {Fate::drop, {}};
        break;
    case XmlPart::epubPackage: {
        if (element.uri == calibre)
            return {Fate::drop, {}};
        if (element.is(dublinCore, QLatin1StringView("contributor"))
            && (attributes.value(opf, QStringLiteral("role")) == u"bkp"
                || m_bookProducers.contains(attributes.value(QStringLiteral("id")).toString())))
            return {Fate::drop, {}};
        if (element.local != u"meta")
            break;
        const QStringView name = attributes.value(QStringLiteral("name"));
        const QStringView property = attributes.value(QStringLiteral("property"));
        if (name.startsWith(u"calibre:") || name == u"generator" || name == u"Sigil version"
            || property.startsWith(u"calibre:"))
            return {Fate::drop, {}};
        const QStringView refines = attributes.value(QStringLiteral("refines"));
        if (refines.startsWith(u'#') && m_bookProducers.contains(refines.mid(1).toString()))
            return {Fate::drop, {}};
        if (property == u"dcterms:modified")
            return {Fate::neutralText, QString::fromLatin1(XmlScrub::neutralEpubDate)};
        break;
    }
    }
    return {};
}

AttributeFate Scrubber::fateOf(const Name &element, const QXmlStreamAttribute &attribute) const
{
    if (m_part != XmlPart::ooxml)
        return {};
    const QStringView name = attribute.name();
    const QString uri = attribute.namespaceUri().toString();
    if (isWord(uri)) {
        if (name.startsWith(u"rsid") || name == u"date")
            return {AttributeFate::drop, {}};
        if (name == u"author")
            return {AttributeFate::neutral, QString::fromLatin1(XmlScrub::neutralAuthor)};
        if (name == u"initials")
            return {AttributeFate::neutral, QString::fromLatin1(XmlScrub::neutralInitials)};
        return {};
    }
    if (!uri.isEmpty())
        return {};
    const bool person = element.is(sheetThreads, QLatin1StringView("person"))
        || element.is(slideAuthors, QLatin1StringView("author"));
    const bool slideAuthor = element.is(slideMain, QLatin1StringView("cmAuthor"));
    if ((person || slideAuthor) && (name == u"name" || name == u"displayName"))
        return {AttributeFate::neutral, QString::fromLatin1(XmlScrub::neutralAuthor)};
    if ((person || slideAuthor) && name == u"initials")
        return {AttributeFate::neutral, QString::fromLatin1(XmlScrub::neutralInitials)};
    if (person && (name == u"userId" || name == u"providerId"))
        return {AttributeFate::drop, {}};
    if ((element.is(sheetThreads, QLatin1StringView("threadedComment")) && name == u"dT")
        || (element.is(slideMain, QLatin1StringView("cm")) && name == u"dt")
        || (element.is(slideAuthors, QLatin1StringView("cm")) && name == u"created"))
        return {AttributeFate::drop, {}};
    return {};
}

void Scrubber::collectRefinedBookProducers(QByteArrayView xml)
{
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), xml.size()));
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::DTD && !reader.entityDeclarations().isEmpty())
            return;
        if (!reader.isStartElement() || reader.name() != u"meta")
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QStringView refines = attributes.value(QStringLiteral("refines"));
        if (attributes.value(QStringLiteral("property")) == u"role" && refines.startsWith(u'#')) {
            const QString id = refines.mid(1).toString();
            if (reader.readElementText().trimmed() == u"bkp")
                m_bookProducers.insert(id);
        }
    }
}

XmlScrubbed Scrubber::run(QByteArrayView xml)
{
    if (m_part == XmlPart::epubPackage)
        collectRefinedBookProducers(xml);
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), xml.size()));
    QXmlStreamWriter writer(&m_result.xml);
    writer.setAutoFormatting(false);
    QList<Name> open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument: {
            const QString version = reader.documentVersion().isEmpty() ? QStringLiteral("1.0")
                                                                       : reader.documentVersion().toString();
            if (reader.isStandaloneDocument())
                writer.writeStartDocument(version, true);
            else
                writer.writeStartDocument(version);
            break;
        }
        case QXmlStreamReader::DTD:
            // Checked before any reference could be expanded.
            if (!reader.entityDeclarations().isEmpty() || !reader.notationDeclarations().isEmpty()) {
                m_result.entities = true;
                m_result.xml.clear();
                return m_result;
            }
            writer.writeDTD(reader.text().toString());
            break;
        case QXmlStreamReader::StartElement: {
            const Name element {reader.namespaceUri().toString(), reader.name().toString()};
            const QXmlStreamAttributes attributes = reader.attributes();
            const Fate fate = fateOf(element, attributes, open.isEmpty() ? Name {} : open.constLast());
            const QString qualified = reader.qualifiedName().toString();
            if (fate.what == Fate::drop) {
                note(qualified);
                reader.skipCurrentElement();
                break;
            }
            writer.writeStartElement(qualified);
            for (const QXmlStreamNamespaceDeclaration &declaration : reader.namespaceDeclarations()) {
                const QString prefix = declaration.prefix().toString();
                writer.writeAttribute(prefix.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + prefix,
                                      declaration.namespaceUri().toString());
            }
            for (const QXmlStreamAttribute &attribute : attributes) {
                const AttributeFate kept = fateOf(element, attribute);
                const QString name = attribute.qualifiedName().toString();
                if (kept.what == AttributeFate::drop) {
                    note(name);
                    continue;
                }
                if (kept.what == AttributeFate::neutral && attribute.value() != kept.value)
                    note(name);
                writer.writeAttribute(name, kept.what == AttributeFate::neutral ? kept.value : attribute.value().toString());
            }
            if (m_part == XmlPart::epubPackage && element.uri == dublinCore
                && (element.local == u"title" || element.local == u"creator")) {
                const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                m_result.kept.append({qualified, text});
                writer.writeCharacters(text);
                writer.writeEndElement();
            } else if (fate.what == Fate::neutralText) {
                if (reader.readElementText(QXmlStreamReader::IncludeChildElements) != fate.text)
                    note(qualified);
                writer.writeCharacters(fate.text);
                writer.writeEndElement();
            } else {
                open.append(element);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!open.isEmpty())
                open.removeLast();
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        case QXmlStreamReader::Comment:
            note(QStringLiteral("<!-- -->"));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            note(QStringLiteral("<?") + reader.processingInstructionTarget().toString() + QStringLiteral("?>"));
            break;
        case QXmlStreamReader::EntityReference:
            // Left unexpanded, as it was written.
            writer.writeEntityReference(reader.name().toString());
            break;
        default:
            break;
        }
    }
    writer.writeEndDocument();
    if (reader.hasError()) {
        m_result.damage = QStringLiteral("%1 (line %2)").arg(reader.errorString(), QString::number(reader.lineNumber()));
        m_result.xml.clear();
    }
    return m_result;
}

} // namespace

XmlScrubbed XmlScrub::scrub(QByteArrayView xml, XmlPart part, const QByteArray &partName, const QSet<QByteArray> &dropped)
{
    return Scrubber(part, partName, dropped).run(xml);
}
