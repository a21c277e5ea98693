#include "ToolLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ToolLocator {

QString defaultResourceDirectory()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tessaly"));
}

std::optional<QString> locateExifTool(const QString &resourceDirectory)
{
    if (resourceDirectory.isEmpty())
        return std::nullopt;
    const QFileInfo tool(QDir(resourceDirectory).absoluteFilePath(QStringLiteral("exiftool")));
    if (!tool.isFile())
        return std::nullopt;
    return tool.absoluteFilePath();
}

} // namespace ToolLocator
