#include "CleanResult.h"

CleanResult CleanResult::succeeded(const QUuid &id, MetadataTable before, MetadataTable after)
{
    return CleanResult{id, std::move(before), std::move(after), std::nullopt, true};
}

CleanResult CleanResult::failed(const QUuid &id, const QString &errorMessage)
{
    return CleanResult{id, {}, {}, errorMessage, false};
}
