#include "CleanResult.h"

CleanResult CleanResult::succeeded(const QUuid &id, const MetadataTable &before, const MetadataTable &after,
                                   const QUrl &cleanedCopyUrl, std::optional<FileIdentity> identity)
{
    return CleanResult{id, PackedMetadata::pack(before), PackedMetadata::pack(after), std::nullopt, cleanedCopyUrl,
                       identity};
}

CleanResult CleanResult::failed(const QUuid &id, Failure failure)
{
    return CleanResult{id, {}, {}, std::move(failure), {}, {}};
}

std::optional<QString> CleanResult::errorMessage() const
{
    if (!failure)
        return std::nullopt;
    return describe(*failure);
}
