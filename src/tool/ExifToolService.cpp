#include "ExifToolService.h"

#include "MatroskaCleaner.h"
#include "MetadataJson.h"
#include "PdfRewriter.h"
#include "ReplacementFile.h"
#include "StripPlan.h"
#include "ToolLocator.h"

#include <QFileInfo>

#include <climits>
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

// A link is not the file: the file it points to is cleaned, in its own
// folder, and the link is left as it is.
Expected<QString> fileBehind(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    if (target.isEmpty())
        return CleanError{QStringLiteral("%1 is a link to a file that does not exist").arg(path)};
    return target;
}

// Only regular files reach a tool. Given a folder, exiftool reads (and would
// strip) every file inside it; a pipe or a device can keep a reader waiting
// for good. A path that is not there is left to the tool, which says so.
std::optional<ServiceError> refusedKind(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return std::nullopt;
    const QString name = QFileInfo(path).fileName();
    if (S_ISDIR(info.st_mode))
        return CleanError{QStringLiteral("%1 is a folder, not a file; it was left unchanged.").arg(name)};
    return CleanError{QStringLiteral("%1 is not a regular file (it is a pipe, socket or device); "
                                     "it was left unchanged.").arg(name)};
}

// Rewriting a file gives its name a new, clean file: any other name of the
// old one (a hard link) would keep every tag while the window said "done".
std::optional<ServiceError> refusedLinks(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || info.st_nlink <= 1)
        return std::nullopt;
    return CleanError{QStringLiteral("%1 has %2 other names (hard links) that would keep the metadata; "
                                     "it was left unchanged.")
                          .arg(QFileInfo(path).fileName())
                          .arg(info.st_nlink - 1)};
}

QByteArray headOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(1024);
}

// The tool names the file it worked on; the user knows it by its own name,
// not by that of the copy it was cleaned in.
ServiceError namingTheFile(ServiceError error, const QString &copy, const QString &file)
{
    if (auto *toolError = std::get_if<ExifToolError>(&error);
        toolError && toolError->kind() == ExifToolError::Case::processError) {
        return ExifToolError::processError(QString(toolError->message()).replace(copy, file));
    }
    return error;
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

QFuture<void> ExifToolService::prepare(const ServiceOptions &options)
{
    auto service = create(options);
    if (!service)
        return QtFuture::makeReadyFuture();
    return service.value().m_runner->prepare(service.value().m_exiftoolPath);
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
    if (auto refused = refusedKind(path.value()))
        return *refused;
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
    auto target = fileBehind(path.value());
    if (!target)
        return target.error();
    if (auto refused = refusedKind(target.value()))
        return *refused;
    if (auto refused = refusedLinks(target.value()))
        return *refused;

    // A link may carry another name than its file: the file's own counts first.
    auto format = formatOfPath(target.value());
    if (!format)
        format = formatOfPath(path.value());
    if (!format) {
        return CleanError{QStringLiteral("Tessaly does not clean .%1 files; the file was left unchanged.")
                              .arg(QFileInfo(target.value()).suffix())};
    }
    // An unreadable file is left to the tools, which say why they cannot read it.
    const QByteArray head = headOf(target.value());
    if (!head.isEmpty() && !contentFitsFormat(*format, head)) {
        return CleanError{QStringLiteral("This file is not the .%1 file its name says; it was left unchanged.")
                              .arg(rawValue(*format))};
    }

    const StripPlan plan = stripPlanFor(*format);
    if (plan.cleaner == StripPlan::Cleaner::matroska)
        return stripMatroska(target.value());
    if (plan.rewritesPdf)
        return stripPdf(target.value(), plan.extraArguments);
    // exiftool writes its copy as "<name>_exiftool_tmp", a name that cannot
    // exist when the file's own is near the file system's limit.
    if (QFile::encodeName(QFileInfo(target.value()).fileName()).size() + 13 > NAME_MAX)
        return stripThroughCopy(target.value(), plan.extraArguments);
    return runStrip(target.value(), plan.extraArguments);
}

Expected<Success> ExifToolService::stripThroughCopy(const QString &path, const QStringList &extraArguments) const
{
    auto staged = ReplacementFile::create(path, ReplacementFile::Start::copyOfTarget);
    if (!staged)
        return staged.error();
    if (auto stripped = runStrip(staged.value().path(), extraArguments); !stripped)
        return namingTheFile(stripped.error(), staged.value().path(), path);
    return staged.value().commit();
}

Expected<Success> ExifToolService::runStrip(const QString &path, const QStringList &extraArguments) const
{
    // exiftool writes the cleaned copy beside the file and renames it over
    // the original. If we have to stop it midway, that copy is ours to remove,
    // but only if this run made it: an older one belongs to someone else.
    const QString temporary = path + QStringLiteral("_exiftool_tmp");
    const bool temporaryExisted = pathExistsNoFollow(temporary);

    QStringList arguments {QStringLiteral("-all="), QStringLiteral("-overwrite_original")};
    arguments += extraArguments;
    arguments.append(path);
    auto output = runProcess(arguments, m_limits.forFileSize(sizeOf(path)));
    if (!output) {
        const bool stopped = isToolError(output.error(), ExifToolError::Case::timeout);
        if (stopped && !temporaryExisted && pathExistsNoFollow(temporary))
            QFile::remove(temporary);
        return output.error();
    }
    return Success{};
}

// exiftool's PDF edit and the rewrite both work on copies beside the file;
// the file itself changes once, when the finished version is renamed over it.
Expected<Success> ExifToolService::stripPdf(const QString &path, const QStringList &extraArguments) const
{
    auto staged = ReplacementFile::create(path, ReplacementFile::Start::copyOfTarget);
    if (!staged)
        return staged.error();
    if (auto stripped = runStrip(staged.value().path(), extraArguments); !stripped)
        return namingTheFile(stripped.error(), staged.value().path(), path);

    auto rewritten = ReplacementFile::create(path, ReplacementFile::Start::empty);
    if (!rewritten)
        return rewritten.error();
    if (auto done = PdfRewriter::rewrite(staged.value().path(), rewritten.value().path()); !done)
        return done.error();
    return rewritten.value().commit();
}

Expected<Success> ExifToolService::stripMatroska(const QString &path) const
{
    const auto mkvpropedit = MatroskaCleaner::locate(QFileInfo(m_exiftoolPath).absolutePath());
    if (!mkvpropedit) {
        return CleanError{QStringLiteral("MKV files cannot be cleaned: mkvpropedit is missing from %1")
                              .arg(QFileInfo(m_exiftoolPath).absolutePath())};
    }
    const auto limit = m_limits.forFileSize(sizeOf(path));
    auto listing = runProcess(MatroskaCleaner::contentsQuery(path), limit);
    if (!listing)
        return listing.error();
    auto contents = MatroskaCleaner::parseContents(listing.value());
    if (!contents)
        return contents.error();

    // mkvpropedit edits in place: stopped midway, it would leave a broken file.
    auto staged = ReplacementFile::create(path, ReplacementFile::Start::copyOfTarget);
    if (!staged)
        return staged.error();
    if (auto cleaned = MatroskaCleaner::clean(*mkvpropedit, staged.value().path(), contents.value(), limit); !cleaned)
        return cleaned.error();
    return staged.value().commit();
}
