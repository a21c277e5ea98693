#include "CleanResult.h"

CleanResult CleanResult::succeeded(const QUuid &id, const MetadataTable &before, const MetadataTable &after,
                                   const QUrl &cleanedCopyUrl, std::optional<FileIdentity> identity)
{
    CleanResult result;
    result.id = id;
    result.metadataBefore = PackedMetadata::pack(before);
    result.metadataAfter = PackedMetadata::pack(after, result.metadataBefore);
    result.cleanedCopyUrl = cleanedCopyUrl;
    result.identity = std::move(identity);
    return result;
}

CleanResult CleanResult::untouched(const QUuid &id, const MetadataTable &before)
{
    CleanResult result;
    result.id = id;
    result.metadataBefore = PackedMetadata::pack(before);
    result.metadataAfter = result.metadataBefore;
    result.nothingToRemove = true;
    return result;
}

CleanResult CleanResult::failed(const QUuid &id, Failure failure)
{
    CleanResult result;
    result.id = id;
    result.failure = std::move(failure);
    return result;
}

std::optional<QString> CleanResult::errorMessage() const
{
    if (!failure)
        return std::nullopt;
    return describe(*failure);
}
