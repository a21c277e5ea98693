#include "PdfCleaner.h"

#include "HelperOutcome.h"

#include <ChildProcess.h>
#include <OneShotRunner.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace PdfCleaner {
namespace {

using PdfHelper::Exit;

// The helper's report is a few kilobytes at most; anything bigger is not it.
constexpr qsizetype maxReportBytes = 256 * 1024;

std::optional<QList<PdfReport::Finding>> findingsIn(const QJsonValue &value)
{
    if (!value.isArray() || value.toArray().size() > qsizetype(PdfHelper::maxFindings))
        return std::nullopt;
    QList<PdfReport::Finding> findings;
    for (const QJsonValue &item : value.toArray()) {
        const QJsonObject object = item.toObject();
        const auto kind = PdfHelper::findingNamed(object.value(QLatin1String("kind")).toString().toStdString());
        const qint64 count = object.value(QLatin1String("count")).toInteger(0);
        const qint64 page = object.value(QLatin1String("page")).toInteger(0);
        if (!kind || count < 0 || page < 0 || page > std::numeric_limits<int>::max())
            return std::nullopt;
        findings.append({*kind, int(page), count, object.value(QLatin1String("name")).toString()});
    }
    return findings;
}

} // namespace

qint64 memoryLimitFor(qint64 fileSize)
{
    return (qint64(1) << 30) + 8 * std::max<qint64>(fileSize, 0);
}

std::optional<PdfReport> parseReport(const QByteArray &json)
{
    if (json.size() > maxReportBytes)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    auto kept = findingsIn(document.object().value(QLatin1String("kept")));
    auto removed = findingsIn(document.object().value(QLatin1String("removed")));
    if (!kept || !removed)
        return std::nullopt;
    return PdfReport{*kept, *removed};
}

std::optional<Failure> refuseLocked(const std::optional<QString> &helper, SupportedFormat format, const QString &path,
                                    const QString &displayName)
{
    if (format != SupportedFormat::pdf || !helper)
        return std::nullopt;
    const qint64 size = QFileInfo(path).size();
    const auto outcome = ChildProcess::run(*helper, {QStringLiteral("--needs-password"), path},
                                           std::chrono::seconds(20), memoryLimitFor(size), nullptr,
                                           SandboxGrant::toRead(path));
    if (outcome.ending == ChildProcess::Outcome::Ending::exited && Exit(outcome.exitCode) == Exit::NeedsPassword)
        return CleanError(CleanError::Kind::pdfPasswordProtected, {displayName});
    return std::nullopt;
}

Expected<PdfReport> clean(const QString &helper, const QString &source, const QString &destination,
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
    switch (Exit(outcome.exitCode)) {
    case Exit::Cleaned:
        if (auto report = parseReport(outcome.standardOutput))
            return *report;
        return CleanError(CleanError::Kind::helperFailed, {tool, QStringLiteral("no report")});
    case Exit::Unreadable:
        return CleanError(CleanError::Kind::pdfUnreadable, {displayName, detail});
    case Exit::NeedsPassword:
        return CleanError(CleanError::Kind::pdfPasswordProtected, {displayName});
    case Exit::Unverified:
        // The helper's read-back failed; lost pages are one reason of several.
        if (detail.contains(QLatin1String("lost pages")))
            return CleanError(CleanError::Kind::pdfPagesLost, {displayName});
        return CleanError(CleanError::Kind::verifyFailed, {displayName, detail});
    case Exit::MetadataRemained:
        return CleanError(CleanError::Kind::verifyFailed, {displayName, detail});
    case Exit::WriteFailed:
        // The helper runs in the C.UTF-8 locale: its words are strerror's.
        if (detail.contains(QLatin1String("No space left")) || detail.contains(QLatin1String("quota"))
            || detail.contains(QLatin1String("File too large")))
            return CleanError(CleanError::Kind::diskFull, {displayName});
        return CleanError(CleanError::Kind::writeFailed, {displayName, detail});
    case Exit::PageTreeTooDeep:
        return CleanError(CleanError::Kind::pdfTooDeep, {displayName});
    case Exit::Other:
        break;
    }
    // Other, or an exit status the helper never chooses: killed by its memory
    // limit on the way out, say.
    if (detail.isEmpty())
        return CleanError(CleanError::Kind::helperCrashed, {tool});
    return CleanError(CleanError::Kind::helperFailed, {tool, detail});
}

namespace {

QByteArray findingName(PdfReport::Kind kind)
{
    const auto index = std::size_t(kind);
    if (index >= PdfHelper::findingNames.size())
        return "finding";
    const std::string_view name = PdfHelper::findingNames[index];
    return QByteArray(name.data(), qsizetype(name.size()));
}

} // namespace

QList<ContainerItem> keptContent(const PdfReport &report)
{
    QList<ContainerItem> items;
    for (const PdfReport::Finding &finding : report.kept) {
        ContainerItem item;
        item.type = findingName(finding.kind);
        item.place = finding.page > 0 ? QString::number(finding.page) : QString();
        item.detail = finding.name.isEmpty() ? QString::number(finding.count) : finding.name;
        item.role = finding.kind == PdfReport::Kind::keptFirstId ? ItemRole::needed : ItemRole::content;
        item.keptBecause = finding.kind == PdfReport::Kind::keptFirstId ? KeptBecause::structure : KeptBecause::content;
        items.append(item);
    }
    return items;
}

MetadataTable removedParts(const PdfReport &report)
{
    MetadataTable removed;
    int attachments = 0;
    for (const PdfReport::Finding &finding : report.removed) {
        QString key = QStringLiteral("PDF-Removed:") + QString::fromLatin1(findingName(finding.kind));
        if (finding.kind == PdfReport::Kind::attachmentRemoved)
            key += QStringLiteral(" %1").arg(++attachments);
        removed.insert(key, finding.name.isEmpty() ? QString::number(finding.count) : finding.name);
    }
    return removed;
}

} // namespace PdfCleaner
