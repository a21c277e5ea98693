#include "ExifToolService.h"

#include "MetadataJson.h"

#include <QFileInfo>

namespace {

qint64 sizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

} // namespace

QString toolPathArgument(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return QFileInfo(url.toLocalFile()).absoluteFilePath();
}

ExifToolService::ExifToolService(ToolPaths paths, ToolRunner &runner, RunLimits limits)
    : m_paths(std::move(paths))
    , m_runner(runner)
    , m_limits(limits)
{
}

Expected<QString> ExifToolService::exiftoolPath() const
{
    if (auto path = m_paths.exiftool())
        return *path;
    return ExifToolError::binaryNotFound();
}

Expected<QByteArray> ExifToolService::runProcess(const QStringList &arguments, qint64 fileSize,
                                                const SandboxGrant &grant) const
{
    auto tool = exiftoolPath();
    if (!tool)
        return tool.error();
    return m_runner.run(tool.value(), arguments, m_limits.forFileSize(fileSize), grant);
}

Expected<MetadataTable> ExifToolService::readMetadata(const QUrl &from) const
{
    const QString path = toolPathArgument(from);
    if (path.isEmpty())
        return CleanError(CleanError::Kind::notLocalFile, {from.toDisplayString()});
    return readMetadata(path);
}

Expected<MetadataTable> ExifToolService::readMetadata(const QString &path) const
{
    return read({QStringLiteral("-a"), QStringLiteral("-u"), QStringLiteral("-G1"), QStringLiteral("-j"), path});
}

Expected<MetadataTable> ExifToolService::readTags(const QString &path) const
{
    return read({QStringLiteral("-a"), QStringLiteral("-G1"), QStringLiteral("-j"), path});
}

Expected<MetadataTable> ExifToolService::readHeaderTags(const QString &path) const
{
    return read({QStringLiteral("-fast"), QStringLiteral("-a"), QStringLiteral("-G1"), QStringLiteral("-j"), path});
}

Expected<MetadataTable> ExifToolService::readWrittenHeader(const QString &path) const
{
    return read({QStringLiteral("-e"), QStringLiteral("-fast"), QStringLiteral("-a"), QStringLiteral("-G1"),
                 QStringLiteral("-j"), path});
}

Expected<MetadataTable> ExifToolService::readEverything(const QString &path) const
{
    return read({QStringLiteral("-a"), QStringLiteral("-u"), QStringLiteral("-ee"), QStringLiteral("-G1"),
                 QStringLiteral("-j"), path});
}

Expected<MetadataTable> ExifToolService::read(const QStringList &arguments) const
{
    auto output = runProcess(arguments, sizeOf(arguments.last()), SandboxGrant::toRead(arguments.last()));
    if (!output)
        return output.error();
    auto table = parseMetadataJson(output.value());
    if (!table)
        return table;
    // The file system's own fields and what exiftool derives from other
    // tags are not in the file.
    table.value().removeIf([](MetadataTable::iterator entry) {
        const QString &key = entry.key();
        return key.startsWith(QLatin1String("System:")) || key.startsWith(QLatin1String("Composite:"))
            || key == QLatin1String("ExifTool:ExifToolVersion");
    });
    return table;
}

Expected<Success> ExifToolService::writeCleanCopy(const QString &source, const QString &destination,
                                                  const QStringList &extraArguments) const
{
    QStringList arguments{QStringLiteral("-all=")};
    arguments += extraArguments;
    arguments << QStringLiteral("-o") << QStringLiteral("-") << source;
    SandboxGrant grant = SandboxGrant::toRead(source);
    grant.standardOutputTo = destination;
    auto output = runProcess(arguments, sizeOf(source), grant);
    if (!output)
        return output.error();
    return Success{};
}

QFuture<void> ExifToolService::prepare() const
{
    auto tool = exiftoolPath();
    if (!tool)
        return QtFuture::makeReadyFuture();
    return m_runner.prepare(tool.value());
}
