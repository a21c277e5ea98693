#pragma once

#include "ContainerItem.h"
#include "Failure.h"
#include "FileIdentity.h"
#include "KeptFamilies.h"
#include "MetadataTable.h"
#include "PackedMetadata.h"

#include <QUrl>
#include <QUuid>

#include <optional>

// What cleaning one file yields. Built in one of three shapes only: a success
// with both tables as read, a file that carried nothing to remove and was
// left alone, or a failure with both tables empty.
struct CleanResult
{
    static CleanResult succeeded(const QUuid &id, const MetadataTable &before, const MetadataTable &after,
                                 const QUrl &cleanedCopyUrl = {}, std::optional<FileIdentity> identity = {});
    static CleanResult untouched(const QUuid &id, const MetadataTable &before);
    static CleanResult failed(const QUuid &id, Failure failure);

    bool success() const { return !failure.has_value(); }
    std::optional<QString> errorMessage() const;

    QUuid id;
    PackedMetadata metadataBefore;
    PackedMetadata metadataAfter;
    std::optional<Failure> failure;
    QUrl cleanedCopyUrl;
    // What the file still carries, and why: the picture's orientation, its
    // colour profile, the document's own content.
    QList<ContainerItem> stillInFile;
    // The file held nothing to remove: its bytes, dates and inode are as
    // they were.
    bool nothingToRemove = false;
    // What the clean left by the person's choice, as far as the kind could.
    KeptFamilies kept;
    // What the file's URL leads to now: a file cleaned in place is a new file.
    std::optional<FileIdentity> identity;
};
