#include "OfficeCleaner.h"

#include "OriginalFile.h"
#include "SystemError.h"

#include <OfficePackage.h>
#include <ZipArchive.h>

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace OfficeCleaner {

namespace {

std::optional<QByteArray> readWhole(int fd, qint64 size)
{
    if (size < 0 || size > ZipArchive::largestTotal)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}

Expected<Success> writeNew(const QString &path, const QByteArray &bytes, const QString &displayName)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemFailure(CleanError::Kind::writeFailed, displayName, errno);
    qint64 done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0) {
            error = errno;
            break;
        }
        done += put;
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        return systemFailure(CleanError::Kind::writeFailed, displayName, error);
    return Success{};
}

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
    const auto bytes = readWhole(original.descriptor(), original.size());
    if (!bytes)
        return CleanError(CleanError::Kind::archiveTooLarge, {original.displayName()});
    const OfficeCleaning cleaning = OfficePackage::clean(format, *bytes);
    if (cleaning.problem != OfficeCleaning::Problem::none)
        return refusal(cleaning, original.displayName());
    if (auto written = writeNew(destination, cleaning.archive, original.displayName()); !written)
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
