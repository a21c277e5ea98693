#pragma once

#include "MetadataTable.h"

#include <QString>
#include <QUuid>

#include <optional>

// What cleaning one file yields. Built in one of two shapes only: a success
// with both tables as read, or a failure with both tables empty and a
// user-facing message.
struct CleanResult
{
    static CleanResult succeeded(const QUuid &id, MetadataTable before, MetadataTable after);
    static CleanResult failed(const QUuid &id, const QString &errorMessage);

    QUuid id;
    MetadataTable metadataBefore;
    MetadataTable metadataAfter;
    std::optional<QString> errorMessage;
    bool success = false;
};
