#include "Cleaning.h"

#include <FileItem.h>

#include <QDir>

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

QString errorOf(const CleanResult &result)
{
    return result.errorMessage().value_or(QString());
}

QStringList leftovers(const QString &directory)
{
    QStringList names;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(".tessaly-") || name.endsWith("_exiftool_tmp") || name.endsWith("_original"))
            names.append(name);
    for (const QString &name : QDir(directory).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (name.startsWith(".tessaly-"))
            names.append(name);
    return names;
}

} // namespace Cleaning
