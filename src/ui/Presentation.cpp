#include "Presentation.h"

#include "FamilyTexts.h"
#include "FileKind.h"
#include "MetadataLog.h"
#include "UiTexts.h"

#include <FileListModel.h>

namespace {

// One flat list for the view; the first entry of each topic carries its
// heading, and exiftool's warnings are marked so they are not counted as tags.
QVariantList toVariantList(const QList<MetadataLog::Section> &sections)
{
    QVariantList list;
    for (const MetadataLog::Section &section : sections) {
        const QString heading = topicHeading(section.topic);
        for (const MetadataLog::Entry &entry : section.entries) {
            list.append(QVariantMap{
                {QStringLiteral("key"), entry.key},
                {QStringLiteral("value"), entry.value},
                {QStringLiteral("removed"), entry.removed},
                {QStringLiteral("heading"), &entry == &section.entries.first() ? heading : QString()},
                {QStringLiteral("warning"), section.topic == TagTopic::toolWarnings},
            });
        }
    }
    return list;
}

} // namespace

QString Presentation::counterText(qint64 total, qint64 done, qint64 error) const
{
    return UiTexts::counterText(total, done, error);
}

qint64 Presentation::percentage(double progress) const
{
    return UiTexts::truncatedPercentage(progress);
}

QString Presentation::percentageText(qint64 percentage) const
{
    return UiTexts::percentageText(percentage);
}

bool Presentation::isProgressComplete(double progress) const
{
    return UiTexts::isProgressComplete(progress);
}

QString Presentation::keyCountsText(qint64 before, qint64 after) const
{
    return UiTexts::keyCountsText(before, after);
}

QString Presentation::rowCountText(qint64 rows) const
{
    return UiTexts::rowCountText(rows);
}

QString Presentation::fileSymbol(const QString &extension) const
{
    return FileKind::forExtension(extension).symbol;
}

QString Presentation::fileTint(const QString &extension) const
{
    return FileKind::forExtension(extension).tint;
}

QString Presentation::runSummary(qint64 cleaned, qint64 notCleaned) const
{
    return UiTexts::runSummary(cleaned, notCleaned);
}

bool Presentation::canExpand(int status) const
{
    return status == FileListModel::Done || status == FileListModel::Error;
}

QVariantMap Presentation::metadataLog(FileListModel *files, int row) const
{
    if (!files || row < 0 || row >= files->items().size())
        return {{QStringLiteral("errorMessage"), QString()}, {QStringLiteral("errorDetail"), QString()},
                {QStringLiteral("hasComparison"), false},
                {QStringLiteral("before"), QVariantList()}, {QStringLiteral("after"), QVariantList()},
                {QStringLiteral("stillInFile"), QStringList()}, {QStringLiteral("keptNote"), QString()}};
    const FileItem &file = files->items().at(row);
    const MetadataTable before = file.metadataBefore();
    const MetadataTable after = file.metadataAfter();
    const QSet<QString> removed = MetadataLog::removedKeys(before, after);
    return {
        {QStringLiteral("errorMessage"),
         MetadataLog::displayText(file.errorMessage().value_or(QString()), MetadataLog::maxValueLength)},
        // The tool's own words, under the app's: what a helper would ask for.
        {QStringLiteral("errorDetail"),
         MetadataLog::displayText(file.failure ? failureDetail(*file.failure) : QString(), MetadataLog::maxValueLength)},
        {QStringLiteral("hasComparison"), !before.isEmpty() || !after.isEmpty()},
        {QStringLiteral("before"), toVariantList(MetadataLog::groupedEntries(before, removed))},
        {QStringLiteral("after"), toVariantList(MetadataLog::groupedEntries(after))},
        {QStringLiteral("stillInFile"), MetadataLog::stillInFileLines(file.stillInFile)},
        {QStringLiteral("keptNote"), FamilyTexts::keptInFileNote(file.kept)},
    };
}

QString Presentation::keptNote(FileListModel *files, int row) const
{
    if (!files || row < 0 || row >= files->items().size())
        return {};
    return FamilyTexts::keptInFileNote(files->items().at(row).kept);
}
