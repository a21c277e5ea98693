#include "OfficeCleaner.h"

#include "OriginalFile.h"
#include "WholeFile.h"

#include <OfficePackage.h>
#include <ZipArchive.h>

#include <QFile>

namespace OfficeCleaner {

namespace {

CleanError refusal(const OfficeCleaning &cleaning, const QString &displayName)
{
    switch (cleaning.problem) {
    case OfficeCleaning::Problem::tooLarge:
        return CleanError(CleanError::Kind::archiveTooLarge, {displayName}, cleaning.detail);
    case OfficeCleaning::Problem::entities:
        return CleanError(CleanError::Kind::xmlEntities, {displayName, cleaning.detail});
    default:
        return CleanError(CleanError::Kind::damagedFile, {displayName, cleaning.detail});
    }
}

} // namespace

Expected<QList<ContainerItem>> clean(SupportedFormat format, const OriginalFile &original, const QString &destination)
{
    const auto bytes = WholeFile::read(original.descriptor(), original.size(), ZipArchive::largestTotal);
    if (!bytes)
        return CleanError(CleanError::Kind::archiveTooLarge, {original.displayName()});
    const OfficeCleaning cleaning = OfficePackage::clean(format, *bytes);
    if (cleaning.problem != OfficeCleaning::Problem::none)
        return refusal(cleaning, original.displayName());
    if (auto written = WholeFile::writeNew(destination, {cleaning.archive}, original.displayName()); !written)
        return written.error();
    return cleaning.kept;
}

ContainerWalk walk(SupportedFormat format, const QString &path)
{
    QFile file(path);
    ContainerWalk unreadable;
    if (!file.open(QIODevice::ReadOnly) || file.size() > ZipArchive::largestTotal) {
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    return OfficePackage::walk(format, file.readAll());
}

} // namespace OfficeCleaner
