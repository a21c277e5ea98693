#include "ToolLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

std::optional<QString> fileIn(const QString &directory, const QString &name)
{
    if (directory.isEmpty())
        return std::nullopt;
    const QFileInfo tool(QDir(directory).absoluteFilePath(name));
    if (!tool.isFile())
        return std::nullopt;
    return tool.absoluteFilePath();
}

} // namespace

ToolPaths ToolPaths::installed()
{
    const QString base = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(base + QStringLiteral("/../share/tessaly")),
            QDir::cleanPath(base + QStringLiteral("/../libexec/tessaly"))};
}

std::optional<QString> ToolPaths::exiftool() const
{
    return fileIn(resourceDirectory, QStringLiteral("exiftool"));
}

std::optional<QString> ToolPaths::mkvpropedit() const
{
    return fileIn(helperDirectory, QStringLiteral("mkvpropedit"));
}

std::optional<QString> ToolPaths::pdfCleaner() const
{
    return fileIn(helperDirectory, QStringLiteral("tessaly-pdf-clean"));
}
