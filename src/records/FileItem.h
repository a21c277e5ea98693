#pragma once

#include "ContainerItem.h"
#include "Failure.h"
#include "FileIdentity.h"
#include "FileStatus.h"
#include "KeptFamilies.h"
#include "PackedMetadata.h"
#include "SupportedFormat.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One file of the list. A value: copies do not follow later changes of the
// entry in the list. Two items are the same entry exactly when their ids are.
struct FileItem
{
    // Never fails and never touches the file.
    static FileItem fromUrl(const QUrl &url);

    QUuid id;
    QUrl url;
    QString fileName;
    QString fileExtension; // lower case
    // Derived once, here, from the extension; nothing later parses it again.
    std::optional<SupportedFormat> format;
    // What the URL led to when the file was added, when it led anywhere.
    std::optional<FileIdentity> identity;
    // Set when a launch named the file with --copy or --in-place: that
    // choice, not the settings, says whether the original is kept.
    std::optional<bool> keepOriginal;
    FileStatus status = FileStatus::pending;
    PackedMetadata packedBefore;
    PackedMetadata packedAfter;
    std::optional<Failure> failure;
    // Where the cleaned version went when it was saved as a copy beside the
    // original; empty when the file itself was cleaned.
    QUrl cleanedCopyUrl;
    // What the cleaned file still carries, and why.
    QList<ContainerItem> stillInFile;
    // The file held nothing to remove and was left exactly as it was.
    bool nothingToRemove = false;
    // The families the clean left in the file by the person's choice.
    KeptFamilies kept;

    MetadataTable metadataBefore() const { return packedBefore.unpack(); }
    MetadataTable metadataAfter() const { return packedAfter.unpack(); }
    // The failure's text in the current language; absent when there is none.
    std::optional<QString> errorMessage() const;

    friend bool operator==(const FileItem &a, const FileItem &b) { return a.id == b.id; }
};

// Every member moves by its bytes (Qt's shared types, enums, optionals and a
// variant of them), so a list of 100,000 rows grows by reallocating, not by
// moving each row into a new block beside the old one.
Q_DECLARE_TYPEINFO(FileItem, Q_RELOCATABLE_TYPE);

// The text after the last dot of the URL's last path component, lower-cased;
// empty when there is no dot. A name that is only a leading dot plus text
// (".jpg", a hidden file) and a name ending in a dot have no extension.
QString lowerCasePathExtension(const QUrl &url);
