#include "Cleaning.h"

#include <FileItem.h>

namespace Cleaning {

StayOpenRunner &runner()
{
    static StayOpenRunner shared(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
    return shared;
}

CleanResult cleanWith(const ToolPaths &tools, const QString &path, CleaningChoices choices)
{
    const FileCleaner cleaner(tools, runner());
    const QUrl url = QUrl::fromLocalFile(path);
    return cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, choices});
}

CleanResult clean(const QString &path, CleaningChoices choices)
{
    return cleanWith(ToolPaths::installed(), path, choices);
}

} // namespace Cleaning
