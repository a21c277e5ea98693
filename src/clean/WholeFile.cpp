#include "WholeFile.h"

#include "SystemError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace WholeFile {

namespace {

// The page cache takes a write in pieces of the size it was handed. One
// large write gets large pieces, which the kernel finds in memory nobody
// has touched for a while; under a hypervisor that hands such memory back
// to the host, filling them costs four times the CPU of small pieces taken
// from what was just freed.
constexpr qsizetype writeStep = 64 * 1024;

} // namespace

std::optional<QByteArray> read(int fd, qint64 size, qint64 limit)
{
    if (size < 0 || size > limit)
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

int writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, size_t(std::min(bytes.size() - done, writeStep)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return errno;
        done += put;
    }
    return 0;
}

Expected<Success> writeNew(const QString &path, const QByteArrayList &pieces, const QString &displayName)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemFailure(CleanError::Kind::writeFailed, displayName, errno);
    int error = 0;
    for (const QByteArray &piece : pieces) {
        if ((error = writeAll(fd, piece)))
            break;
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        return systemFailure(CleanError::Kind::writeFailed, displayName, error);
    return Success{};
}

} // namespace WholeFile
