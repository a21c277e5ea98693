#pragma once

#include "FileStatus.h"
#include "MetadataTable.h"

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
    FileStatus status = FileStatus::pending;
    MetadataTable metadataBefore;
    MetadataTable metadataAfter;
    std::optional<QString> errorMessage;

    friend bool operator==(const FileItem &a, const FileItem &b) { return a.id == b.id; }
};

// The text after the last dot of the URL's last path component, lower-cased;
// empty when there is no dot. A name that is only a leading dot plus text
// (".jpg", a hidden file) and a name ending in a dot have no extension.
QString lowerCasePathExtension(const QUrl &url);
