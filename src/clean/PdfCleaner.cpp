#include "PdfCleaner.h"

#include "HelperOutcome.h"

#include <ChildProcess.h>
#include <OneShotRunner.h>

#include <QFileInfo>

namespace PdfCleaner {

qint64 memoryLimitFor(qint64 fileSize)
{
    return (qint64(1) << 30) + 8 * std::max<qint64>(fileSize, 0);
}

Expected<Success> clean(const QString &helper, const QString &source, const QString &destination,
                        const QString &displayName, const RunLimits &limits, const std::atomic<bool> *cancel)
{
    const qint64 size = QFileInfo(source).size();
    const QString tool = QStringLiteral("tessaly-pdf-clean");
    const auto outcome =
        ChildProcess::run(helper, {source, destination}, limits.forFileSize(size), memoryLimitFor(size), cancel,
                          SandboxGrant::toWrite(source, QFileInfo(destination).absolutePath()));
    if (auto failure = unfinishedRun(outcome, tool))
        return *failure;
    const QString detail = toolErrorText(outcome.standardError).trimmed();
    switch (outcome.exitCode) {
    case 0:
        return Success{};
    case 2:
        return CleanError(CleanError::Kind::pdfUnreadable, {displayName, detail});
    case 3:
        return CleanError(CleanError::Kind::pdfPasswordProtected, {displayName});
    case 4:
        return CleanError(CleanError::Kind::pdfPagesLost, {displayName});
    case 5:
        // The helper runs in the C.UTF-8 locale: its words are strerror's.
        if (detail.contains(QLatin1String("No space left")) || detail.contains(QLatin1String("quota"))
            || detail.contains(QLatin1String("File too large")))
            return CleanError(CleanError::Kind::diskFull, {displayName});
        return CleanError(CleanError::Kind::writeFailed, {displayName, detail});
    case 6:
        return CleanError(CleanError::Kind::pdfTooDeep, {displayName});
    default:
        // An exit status the helper never chooses: killed by its memory limit
        // on the way out, say.
        if (detail.isEmpty())
            return CleanError(CleanError::Kind::helperCrashed, {tool});
        return CleanError(CleanError::Kind::helperFailed, {tool, detail});
    }
}

} // namespace PdfCleaner
