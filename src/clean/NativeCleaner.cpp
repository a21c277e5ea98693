#include "NativeCleaner.h"

#include "OriginalFile.h"
#include "SystemError.h"

#include <JpegContainer.h>
#include <PngContainer.h>
#include <WebpContainer.h>

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace NativeCleaner {

namespace {

// Pictures are read whole: the walkers refuse anything larger.
constexpr qint64 largestPicture = qint64(1) << 30;

std::optional<QByteArray> readWhole(int fd, qint64 size)
{
    if (size < 0 || size > largestPicture)
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

Expected<QByteArray> cleaned(SupportedFormat format, QByteArrayView bytes)
{
    switch (format) {
    case SupportedFormat::png:
        return cleanPng(bytes);
    case SupportedFormat::webp:
        return cleanWebp(bytes);
    default:
        return cleanJpeg(bytes);
    }
}

ContainerWalk walked(SupportedFormat format, QByteArrayView bytes)
{
    switch (format) {
    case SupportedFormat::png:
        return walkPng(bytes);
    case SupportedFormat::webp:
        return walkWebp(bytes);
    default:
        return walkJpeg(bytes);
    }
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

} // namespace

bool handles(SupportedFormat format)
{
    switch (format) {
    case SupportedFormat::jpg:
    case SupportedFormat::jpeg:
    case SupportedFormat::png:
    case SupportedFormat::webp:
        return true;
    default:
        return false;
    }
}

Expected<Success> clean(SupportedFormat format, const OriginalFile &original, const QString &destination)
{
    const auto bytes = readWhole(original.descriptor(), original.size());
    if (!bytes)
        return CleanError(CleanError::Kind::damagedFile, {original.displayName(), QStringLiteral("size")});
    auto result = cleaned(format, *bytes);
    if (!result) {
        const ContainerWalk walk = walked(format, *bytes);
        return CleanError(CleanError::Kind::damagedFile,
                          {original.displayName(), walk.damage.value_or(QStringLiteral("?"))});
    }
    return writeNew(destination, result.value(), original.displayName());
}

std::optional<ContainerWalk> walk(SupportedFormat format, const QString &path)
{
    if (!handles(format))
        return std::nullopt;
    QFile file(path);
    ContainerWalk unreadable;
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestPicture) {
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    return walked(format, bytes);
}

} // namespace NativeCleaner
