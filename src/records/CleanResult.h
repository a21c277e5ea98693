#pragma once

#include "Failure.h"
#include "FileIdentity.h"
#include "MetadataTable.h"
#include "PackedMetadata.h"

#include <QUrl>
#include <QUuid>

#include <optional>

// What cleaning one file yields. Built in one of two shapes only: a success
// with both tables as read, or a failure with both tables empty.
struct CleanResult
{
    static CleanResult succeeded(const QUuid &id, const MetadataTable &before, const MetadataTable &after,
                                 const QUrl &cleanedCopyUrl = {}, std::optional<FileIdentity> identity = {});
    static CleanResult failed(const QUuid &id, Failure failure);

    bool success() const { return !failure.has_value(); }
    std::optional<QString> errorMessage() const;

    QUuid id;
    PackedMetadata metadataBefore;
    PackedMetadata metadataAfter;
    std::optional<Failure> failure;
    QUrl cleanedCopyUrl;
    // What the file's URL leads to now: a file cleaned in place is a new file.
    std::optional<FileIdentity> identity;
};
