#pragma once

#include <ContainerItem.h>
#include <KeptFamilies.h>
#include <MetadataTable.h>
#include <SupportedFormat.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a file still carries, judged without trusting whatever wrote it. Three
// readings meet here: exiftool's widest read of the file (duplicates, unknown
// tags, embedded documents), a walk over the file's own container where the
// app has one for its kind (every segment, chunk, box, item or element), and
// the file's extended attributes. Each piece is needed to draw or play the
// file, the document's own content, or identifying.
struct ResidueReport
{
    // What must go and is there.
    QList<ContainerItem> identifying;
    // What stays and is worth saying, with its reason: the log's "Still in
    // the file". Structure kept without comment is not listed.
    QList<ContainerItem> kept;
    // Of `identifying`, the pieces the container walk found: chunks,
    // segments, boxes, bytes after the end. exiftool's listing may not show
    // them, so the log lists them apart.
    QList<ContainerItem> identifyingPieces;
    // Whether the container was walked: a kind without a walker is judged on
    // its tags alone, which never proves there is nothing to remove.
    bool containerWalked = false;

    bool isClean() const { return identifying.isEmpty(); }
};

// The walk of the file's container, or nothing for a kind the app has no
// walker for yet.
std::optional<ContainerWalk> walkContainer(SupportedFormat format, const QString &path);

// `tags` is exiftool's widest read of the file at `path`; `attributes` the
// names of its extended attributes that say where it came from or describe it.
// What belongs to a `kept` family is listed as kept by choice, not as residue.
ResidueReport checkResidue(SupportedFormat format, const QString &path, const MetadataTable &tags,
                           const QList<QByteArray> &attributes, const KeptFamilies &kept = {});
// The same with the file's walk made by the caller (nothing for a kind without a walker).
ResidueReport checkResidue(SupportedFormat format, const std::optional<ContainerWalk> &walk, const MetadataTable &tags,
                           const QList<QByteArray> &attributes, const KeptFamilies &kept = {});
