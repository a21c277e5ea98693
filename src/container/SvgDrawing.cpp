#include "SvgDrawing.h"

#include "ContainerBytes.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

using namespace ContainerBytes;

namespace {

const QString svgNamespace = QStringLiteral("http://www.w3.org/2000/svg");

// Namespaces whose every element and attribute is an editor's or a
// cataloguer's note, never drawn.
bool isNotesNamespace(QStringView uri)
{
    static const QStringList notes {
        QStringLiteral("http://www.inkscape.org/namespaces/inkscape"),
        QStringLiteral("http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd"),
        QStringLiteral("http://inkscape.sourceforge.net/DTD/sodipodi-0.dtd"),
        QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#"),
        QStringLiteral("http://creativecommons.org/ns#"),
        QStringLiteral("http://web.resource.org/cc/"),
        QStringLiteral("http://purl.org/dc/elements/1.1/"),
        QStringLiteral("http://purl.org/dc/terms/"),
        QStringLiteral("http://www.bohemiancoding.com/sketch/ns"),
        QStringLiteral("http://www.serif.com/"),
        QStringLiteral("http://ns.adobe.com/AdobeIllustrator/10.0/"),
        QStringLiteral("http://ns.adobe.com/AdobeSVGViewerExtensions/3.0/"),
        QStringLiteral("http://ns.adobe.com/Extensibility/1.0/"),
        QStringLiteral("http://ns.adobe.com/Graphs/1.0/"),
        QStringLiteral("http://ns.adobe.com/Variables/1.0/"),
        QStringLiteral("http://ns.adobe.com/SaveForWeb/1.0/"),
        QStringLiteral("http://ns.adobe.com/ImageReplacement/1.0/"),
        QStringLiteral("http://ns.adobe.com/xap/1.0/"),
        QStringLiteral("adobe:ns:meta/"),
    };
    return notes.contains(uri);
}

// What a walk or a rewrite found: the pieces it dropped, or where it broke.
struct Reading
{
    ContainerWalk walk;
    QByteArray written;
};

void dropped(Reading &reading, const char *type, qint64 offset, const QString &detail)
{
    if (reading.walk.items.size() < maxPieces) {
        reading.walk.items.append({QStringLiteral("drawing"), type, offset, 0, ItemRole::identifying,
                                   KeptBecause::structure, detail});
    }
}

// Reads the drawing through; with `writer`, writes what stays.
Reading read(QByteArrayView bytes, QXmlStreamWriter *writer)
{
    Reading reading;
    if (bytes.size() > maxInput) {
        reading.walk.damage = QStringLiteral("too large");
        return reading;
    }
    QXmlStreamReader xml(bytes.toByteArray());
    qsizetype skipping = 0; // depth inside an element that goes
    bool root = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const qint64 at = xml.characterOffset();
        if (skipping > 0 && token != QXmlStreamReader::StartElement && token != QXmlStreamReader::EndElement)
            continue;
        switch (token) {
        case QXmlStreamReader::StartDocument:
            if (writer)
                writer->writeStartDocument(QStringLiteral("1.0"));
            break;
        case QXmlStreamReader::DTD:
            // Entities could expand beyond any memory (a billion laughs); they are not read at all.
            if (!xml.entityDeclarations().isEmpty() || xml.text().contains(u"<!ENTITY")) {
                reading.walk.damage = QStringLiteral("its document type declares entities, which are not expanded");
                return reading;
            }
            if (writer)
                writer->writeDTD(xml.text().toString());
            break;
        case QXmlStreamReader::StartElement: {
            if (skipping > 0 || isNotesNamespace(xml.namespaceUri())
                || (xml.namespaceUri() == svgNamespace && xml.name() == u"metadata")) {
                if (skipping++ == 0)
                    dropped(reading, "element", at, xml.qualifiedName().toString());
                break;
            }
            if (!root) {
                root = true;
                if (xml.namespaceUri() != svgNamespace || xml.name() != u"svg") {
                    reading.walk.damage = QStringLiteral("its first element is not an SVG drawing");
                    return reading;
                }
            }
            if (writer) {
                writer->writeStartElement(xml.qualifiedName().toString());
                for (const QXmlStreamNamespaceDeclaration &ns : xml.namespaceDeclarations()) {
                    if (isNotesNamespace(ns.namespaceUri()))
                        continue;
                    if (ns.prefix().isEmpty())
                        writer->writeDefaultNamespace(ns.namespaceUri().toString());
                    else
                        writer->writeNamespace(ns.namespaceUri().toString(), ns.prefix().toString());
                }
            }
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (isNotesNamespace(attribute.namespaceUri()))
                    dropped(reading, "attribute", at, attribute.qualifiedName().toString());
                else if (writer)
                    writer->writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (skipping > 0)
                --skipping;
            else if (writer)
                writer->writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (writer && xml.isCDATA())
                writer->writeCDATA(xml.text().toString());
            else if (writer)
                writer->writeCharacters(xml.text().toString());
            break;
        case QXmlStreamReader::Comment:
            dropped(reading, "comment", at, {});
            break;
        case QXmlStreamReader::ProcessingInstruction:
            dropped(reading, "processing instruction", at, xml.processingInstructionTarget().toString());
            break;
        case QXmlStreamReader::EntityReference:
            reading.walk.damage = QStringLiteral("an entity that is not expanded, at character %1").arg(at);
            return reading;
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::NoToken:
        case QXmlStreamReader::Invalid:
            break;
        }
    }
    if (xml.hasError()) {
        reading.walk.damage = QStringLiteral("not well-formed XML at line %1: %2").arg(QString::number(xml.lineNumber()), xml.errorString());
    } else if (!root) {
        reading.walk.damage = QStringLiteral("no SVG drawing in it");
    } else {
        reading.walk.items.prepend({QStringLiteral("drawing"), "svg", 0, bytes.size(), ItemRole::needed,
                                    KeptBecause::pixels, {}});
    }
    return reading;
}

} // namespace

ContainerWalk walkSvg(QByteArrayView bytes)
{
    return read(bytes, nullptr).walk;
}

Expected<QByteArray> cleanSvg(QByteArrayView bytes)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    const Reading reading = read(bytes, &writer);
    if (reading.walk.damage)
        return refused("svg");
    writer.writeEndDocument();
    return out;
}
