#include "ExifToolService.h"

#include "MetadataJson.h"

#include <QFileInfo>

namespace {

qint64 sizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

// The pictures a file carries besides its own, as exiftool names them from
// the tags that say where they start and how long they are.
struct EmbeddedPicture
{
    QLatin1String start;
    QLatin1String length;
    QLatin1String name;
};

constexpr EmbeddedPicture embeddedPictures[] {
    {QLatin1String("ThumbnailOffset"), QLatin1String("ThumbnailLength"), QLatin1String("ThumbnailImage")},
    {QLatin1String("PreviewImageStart"), QLatin1String("PreviewImageLength"), QLatin1String("PreviewImage")},
    {QLatin1String("JpgFromRawStart"), QLatin1String("JpgFromRawLength"), QLatin1String("JpgFromRaw")},
    {QLatin1String("OtherImageStart"), QLatin1String("OtherImageLength"), QLatin1String("OtherImage")},
};

// Without its derived tags, exiftool does not list the embedded pictures
// either, though they are in the file: they are listed here, in the group of
// the tag that says where they start, as exiftool itself lists them.
void nameEmbeddedPictures(MetadataTable &table)
{
    QList<std::pair<QString, QString>> found;
    for (auto entry = table.cbegin(); entry != table.cend(); ++entry) {
        const QString &key = entry.key();
        const qsizetype colon = key.indexOf(u':');
        const QStringView group = QStringView(key).left(colon + 1);
        const QStringView name = QStringView(key).mid(colon + 1);
        for (const EmbeddedPicture &picture : embeddedPictures) {
            if (name != picture.start)
                continue;
            const QString prefix = group.toString();
            bool isNumber = false;
            const qint64 length = table.value(prefix + picture.length).toLongLong(&isNumber);
            // Some makers mark a preview they did not fill.
            const QString valid = picture.name == u"PreviewImage" ? table.value(prefix + QStringLiteral("PreviewImageValid"))
                                                                   : QString();
            if (!isNumber || length <= 0 || valid == u"0" || valid == u"No" || table.contains(prefix + picture.name))
                continue;
            found.append({prefix + picture.name,
                          QStringLiteral("(Binary data %1 bytes, use -b option to extract)").arg(length)});
        }
    }
    for (const auto &[key, value] : found)
        table.insert(key, value);
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
    return readPictureTags({}, path);
}

Expected<MetadataTable> ExifToolService::readHeaderTags(const QString &path) const
{
    return readPictureTags({QStringLiteral("-fast")}, path);
}

Expected<MetadataTable> ExifToolService::readPictureTags(QStringList arguments, const QString &path) const
{
    // Deriving tags from others (`-e` turns it off) is a quarter of a photo's
    // read, and all the derived ones but the embedded pictures are dropped.
    arguments << QStringLiteral("-e") << QStringLiteral("-a") << QStringLiteral("-G1") << QStringLiteral("-j") << path;
    auto table = read(arguments);
    if (table)
        nameEmbeddedPictures(table.value());
    return table;
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

QFuture<void> ExifToolService::prepareFor(const QString &file) const
{
    auto tool = exiftoolPath();
    if (!tool)
        return QtFuture::makeReadyFuture();
    return m_runner.prepareFor(tool.value(), SandboxGrant::toRead(file));
}
