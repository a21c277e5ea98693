#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// The XML parts of office documents and e-books, and which rules rewrite each.
enum class XmlPart {
    ooxml,         // any XML part of a DOCX, XLSX or PPTX
    relationships, // an OOXML `.rels` part
    contentTypes,  // OOXML's [Content_Types].xml
    odf,           // ODF content.xml and styles.xml
    odfManifest,   // ODF's and EPUB's META-INF/manifest.xml
    epubPackage,   // an EPUB's OPF package document
};

// A part rewritten: revision IDs, author names on changes and comments,
// their dates, editing tools' traces and references to dropped parts go or
// become neutral; everything else is written back as it was read. Comments
// and processing instructions go. Entities are never expanded: a document
// type that declares any refuses the part.
struct XmlScrubbed
{
    QByteArray xml;
    QStringList removed; // what went or was made neutral, by its XML name, once each
    QList<QPair<QString, QString>> kept; // the document's own metadata that stays ("dc:title", value)
    QString damage;      // where the XML is not well-formed; empty when it is
    bool entities = false;
};

class XmlScrub
{
public:
    // `partName` is the part's name in the archive (to resolve relationship
    // targets); `dropped` the names of the parts that go with it.
    static XmlScrubbed scrub(QByteArrayView xml, XmlPart part, const QByteArray &partName = {},
                             const QSet<QByteArray> &dropped = {});

    // The neutral words put in place of names and dates.
    static constexpr char neutralAuthor[] = "Author";
    static constexpr char neutralInitials[] = "A";
    static constexpr char neutralOdfDate[] = "2000-01-01T00:00:00";
    static constexpr char neutralEpubDate[] = "2000-01-01T00:00:00Z";
};
