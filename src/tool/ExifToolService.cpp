#include "ExifToolService.h"

#include "MetadataJson.h"
#include "ToolLocator.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool pathExistsNoFollow(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

qint64 sizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

Expected<QString> localPath(const QUrl &url)
{
    const QString path = toolPathArgument(url);
    if (path.isEmpty())
        return LaunchError{QStringLiteral("%1 is not a local file").arg(url.toDisplayString())};
    return path;
}

} // namespace

QString toolPathArgument(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return QFileInfo(url.toLocalFile()).absoluteFilePath();
}

ExifToolService::ExifToolService(QString exiftoolPath, RunLimits limits, std::shared_ptr<ToolRunner> runner)
    : m_exiftoolPath(std::move(exiftoolPath))
    , m_limits(limits)
    , m_runner(std::move(runner))
{
}

Expected<ExifToolService> ExifToolService::create(const ServiceOptions &options)
{
    const QString directory = options.resourceDirectory.isEmpty() ? ToolLocator::defaultResourceDirectory()
                                                                  : options.resourceDirectory;
    auto path = ToolLocator::locateExifTool(directory);
    if (!path)
        return ExifToolError::binaryNotFound();
    return ExifToolService(*path, options.limits, options.runner ? options.runner : ToolRunner::shared());
}

Expected<QByteArray> ExifToolService::runProcess(const QStringList &arguments, std::chrono::milliseconds limit) const
{
    return m_runner->run(m_exiftoolPath, arguments, limit);
}

Expected<MetadataTable> ExifToolService::readMetadata(const QUrl &from) const
{
    auto path = localPath(from);
    if (!path)
        return path.error();
    auto output = runProcess({QStringLiteral("-all"), QStringLiteral("-j"), path.value()},
                             m_limits.forFileSize(sizeOf(path.value())));
    if (!output)
        return output.error();
    return parseMetadataJson(output.value());
}

Expected<Success> ExifToolService::stripMetadata(const QUrl &from) const
{
    auto path = localPath(from);
    if (!path)
        return path.error();

    // exiftool writes the cleaned copy beside the file and renames it over
    // the original. If we have to stop it midway, that copy is ours to remove,
    // but only if this run made it: an older one belongs to someone else.
    const QString temporary = path.value() + QStringLiteral("_exiftool_tmp");
    const bool temporaryExisted = pathExistsNoFollow(temporary);

    auto output = runProcess({QStringLiteral("-all="), QStringLiteral("-overwrite_original"), path.value()},
                             m_limits.forFileSize(sizeOf(path.value())));
    if (!output) {
        const bool stopped = isToolError(output.error(), ExifToolError::Case::timeout);
        if (stopped && !temporaryExisted && pathExistsNoFollow(temporary))
            QFile::remove(temporary);
        return output.error();
    }
    return Success{};
}
