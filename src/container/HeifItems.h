#pragma once

#include "BmffBox.h"
#include "ContainerItem.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class ByteSource;
class QIODevice;

// What a HEIF file's top-level `meta` box says: its items, where their
// bytes are, how they refer to one another and which properties each has.
// Every table entry keeps where it sits in the file, so that an editor can
// copy the entries it keeps byte for byte.
class HeifItems
{
public:
    struct Item
    {
        quint32 id = 0;
        QByteArray type; // "hvc1", "grid", "Exif", "mime", "uri "...
        QByteArray contentType; // mime items
        QByteArray uri;         // uri items
        qint64 entryOffset = 0, entrySize = 0; // its infe box
    };
    struct Extent
    {
        quint64 offset = 0;
        quint64 length = 0; // 0: to the end of the data it refers to
    };
    struct Location
    {
        quint32 id = 0;
        int method = 0; // 0 in the file, 1 in idat, 2 in another item
        quint16 dataReference = 0; // not 0: in another file
        quint64 baseOffset = 0;
        QList<Extent> extents;
        qint64 entryOffset = 0, entrySize = 0;
    };
    struct Reference
    {
        QByteArray type; // "cdsc", "thmb", "auxl", "dimg"...
        quint32 from = 0;
        QList<quint32> to;
        qint64 boxOffset = 0, boxSize = 0;
    };
    struct Association
    {
        quint32 item = 0;
        QList<int> properties; // 1-based indexes into `properties`
        qint64 entryOffset = 0, entrySize = 0;
    };
    // A table box: its header, and where its entries start (after the count).
    struct Table
    {
        BmffBox box;
        qint64 entriesOffset = 0;
        int version = 0;
        quint32 flags = 0;
    };

    // Reads the meta box at `meta` (whose payload is `payload`).
    static HeifItems parse(const BmffBox &meta, QByteArrayView payload);

    BmffBox meta;
    QList<BmffBox> children; // the meta box's own boxes
    quint32 primary = 0;
    QList<Item> items;
    QList<Location> locations;
    QList<Reference> references;
    QList<BmffBox> properties;
    QList<Association> associations;
    std::optional<Table> iinf, iloc, iref, ipma;
    std::optional<BmffBox> iprp, idat;
    std::optional<QString> damage;

    const Item *item(quint32 id) const;
    const Location *location(quint32 id) const;
    // Exif, XMP and every other item that describes an image rather than being one.
    static bool isMetadata(const QByteArray &type);

    // Where an item's bytes are, in the file; nothing when they are not plainly
    // there (in another item or file, or running "to the end").
    struct Span
    {
        qint64 offset = 0, length = 0;
    };
    std::optional<QList<Span>> spans(quint32 id, qint64 fileSize) const;

    // How the walk names an image item: "primary image", "thumbnail of item 1"...
    QString imagePlace(quint32 id) const;

    static constexpr int maxEntries = 65536;
};

// Every piece of a HEIF or AVIF file, with what it is for.
ContainerWalk walkHeif(QIODevice &file);
