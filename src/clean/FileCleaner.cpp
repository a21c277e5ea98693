#include "FileCleaner.h"

#include "MatroskaCleaner.h"
#include "OriginalFile.h"
#include "PdfCleaner.h"
#include "StagedCopy.h"
#include "StripPlan.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The tool reads the staged copy: its file-system tags name that copy, not
// the file it has become.
MetadataTable asReadAt(MetadataTable table, const QString &finalPath)
{
    const QFileInfo file(finalPath);
    if (table.contains(QStringLiteral("FileName")))
        table.insert(QStringLiteral("FileName"), file.fileName());
    if (table.contains(QStringLiteral("Directory")))
        table.insert(QStringLiteral("Directory"), file.absolutePath());
    return table;
}

// exiftool names the file it worked on; the user knows it by its own name.
Failure namingTheFile(Failure failure, const QString &staged, const QString &file)
{
    if (auto *toolError = std::get_if<ExifToolError>(&failure);
        toolError && toolError->kind() == ExifToolError::Case::processError) {
        return ExifToolError::processError(QString(toolError->message()).replace(staged, file));
    }
    return failure;
}

} // namespace

FileCleaner::FileCleaner(ToolPaths paths, ToolRunner &runner, RunLimits limits, const StagingJournal *journal)
    : m_exiftool(std::move(paths), runner, limits)
    , m_runner(runner)
    , m_journal(journal)
{
}

CleanResult FileCleaner::clean(const CleanRequest &request) const
{
    auto result = cleanFile(request);
    if (!result)
        return CleanResult::failed(request.id, result.error());
    return std::move(result).value();
}

Expected<CleanResult> FileCleaner::cleanFile(const CleanRequest &request) const
{
    if (auto tool = m_exiftool.exiftoolPath(); !tool)
        return tool.error();
    const QString path = toolPathArgument(request.url);
    if (path.isEmpty())
        return CleanError(CleanError::Kind::notLocalFile, {request.url.toDisplayString()});

    auto opened = OriginalFile::open(path, request.identity);
    if (!opened)
        return opened.error();
    const OriginalFile &original = opened.value();

    if (!request.format)
        return CleanError(CleanError::Kind::unsupportedType, {QFileInfo(path).suffix()});
    const SupportedFormat format = *request.format;
    // An unreadable file is left to the tools, which say why they cannot read it.
    const QByteArray head = original.head(1024);
    if (!head.isEmpty() && !contentFitsFormat(format, head))
        return CleanError(CleanError::Kind::contentMismatch, {rawValue(format)});

    auto before = m_exiftool.readMetadata(original.path());
    if (!before)
        return before.error();

    auto staged = StagedCopy::create(original, m_journal);
    if (!staged)
        return staged.error();
    StagedCopy &copy = staged.value();

    const StripPlan plan = stripPlanFor(format);
    const auto limit = m_exiftool.limits().forFileSize(original.size());
    switch (plan.method) {
    case CleaningMethod::exiftool:
        if (auto written = m_exiftool.writeCleanCopy(original.path(), copy.scratchPath(), plan.extraArguments); !written)
            return namingTheFile(written.error(), copy.scratchPath(), original.path());
        if (auto named = copy.moveToPath(); !named)
            return named.error();
        break;
    case CleaningMethod::matroska: {
        const auto mkvpropedit = paths().mkvpropedit();
        if (!mkvpropedit)
            return CleanError(CleanError::Kind::helperMissing, {QStringLiteral("mkvpropedit"), paths().helperDirectory});
        auto listing = m_exiftool.runProcess(MatroskaCleaner::contentsQuery(original.path()), original.size(),
                                             SandboxGrant::toRead(original.path()));
        if (!listing)
            return listing.error();
        auto contents = MatroskaCleaner::parseContents(listing.value());
        if (!contents)
            return contents.error();
        if (auto copied = copy.copyOriginal(original); !copied)
            return copied.error();
        if (auto cleaned = MatroskaCleaner::clean(*mkvpropedit, copy.path(), contents.value(), limit,
                                                        m_runner.stopFlag());
            !cleaned)
            return cleaned.error();
        break;
    }
    case CleaningMethod::pdf: {
        const auto helper = paths().pdfCleaner();
        if (!helper)
            return CleanError(CleanError::Kind::helperMissing,
                              {QStringLiteral("tessaly-pdf-clean"), paths().helperDirectory});
        if (auto cleaned = PdfCleaner::clean(*helper, original.path(), copy.path(), original.displayName(),
                                             m_exiftool.limits(), m_runner.stopFlag());
            !cleaned)
            return cleaned.error();
        break;
    }
    }

    const CleaningChoices &choices = request.choices;
    // A copy of a copy would be "(cleaned) (cleaned)": such files are cleaned where they are.
    const bool asCopy = choices.keepOriginal && !isCleanedCopyName(QFileInfo(original.path()).fileName());
    if (auto finished = copy.finish(original, choices.keepModificationDate); !finished)
        return finished.error();

    // The check before anything moves: the tool that wrote the copy must read
    // it, without an error, as a file of the same type.
    auto after = m_exiftool.readMetadata(copy.path());
    if (!after) {
        return CleanError(CleanError::Kind::verifyFailed,
                          {original.displayName(), describe(namingTheFile(after.error(), copy.path(), original.path()))});
    }
    const QString fileType = QStringLiteral("FileType");
    if (const QString error = after.value().value(QStringLiteral("Error")); !error.isEmpty())
        return CleanError(CleanError::Kind::verifyFailed, {original.displayName(), error});
    if (after.value().value(fileType) != before.value().value(fileType)) {
        return CleanError(CleanError::Kind::verifyFailed,
                          {original.displayName(), after.value().value(fileType, QStringLiteral("?"))});
    }

    QString finalPath = original.path();
    if (asCopy) {
        auto saved = copy.saveAsCopy(original);
        if (!saved)
            return saved.error();
        finalPath = saved.value();
    } else if (auto replaced = copy.replace(original); !replaced) {
        return replaced.error();
    }
    return CleanResult::succeeded(request.id, before.value(), asReadAt(std::move(after).value(), finalPath),
                                  asCopy ? QUrl::fromLocalFile(finalPath) : QUrl(), FileIdentity::of(path));
}
