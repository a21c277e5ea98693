#include "OriginalFile.h"

#include "SystemError.h"

#include <LocalName.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace {

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// A lease is broken by a signal to its holder, SIGIO unless told otherwise,
// and SIGIO ends a process by default. Guards are held for the moment of a
// rename; the writer that breaks one just waits that long.
void ignoreLeaseBreaks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        if (::sigaction(SIGIO, nullptr, &action) == 0 && action.sa_handler == SIG_DFL)
            ::signal(SIGIO, SIG_IGN);
    });
}

// Whether somebody has the file open for writing. A read lease says so at
// once, but only its owner (or root) may take one; for anyone else each
// process's open files are looked at.
bool openForWritingByOthers(int fd, const struct stat &info)
{
    ignoreLeaseBreaks();
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN)
        return true;
    const QDir proc(QStringLiteral("/proc"));
    const QString self = QString::number(::getpid());
    for (const QString &pid : proc.entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
        if (pid == self)
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString &entry : fds.entryList(QDir::Files | QDir::System)) {
            struct stat target;
            if (::stat(QFile::encodeName(fds.filePath(entry)).constData(), &target) != 0
                || target.st_dev != info.st_dev || target.st_ino != info.st_ino)
                continue;
            QFile fdinfo(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid, entry));
            if (!fdinfo.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray &line : fdinfo.readAll().split('\n')) {
                if (line.startsWith("flags:")) {
                    const int flags = int(line.mid(6).trimmed().toInt(nullptr, 8));
                    if ((flags & O_ACCMODE) != O_RDONLY)
                        return true;
                }
            }
        }
    }
    return false;
}

} // namespace

OriginalFile::OriginalFile(int fd, QByteArray realPath, QString displayName)
    : m_fd(fd)
    , m_realPath(std::move(realPath))
    , m_path(isTextPath(m_realPath) ? QString::fromUtf8(m_realPath) : descriptorPath(fd))
    , m_displayName(std::move(displayName))
{
}

OriginalFile::OriginalFile(OriginalFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_realPath(std::move(other.m_realPath))
    , m_path(std::move(other.m_path))
    , m_displayName(std::move(other.m_displayName))
    , m_snapshot(other.m_snapshot)
{
}

OriginalFile::~OriginalFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // and with it the lock
}

Expected<OriginalFile> OriginalFile::open(const QByteArray &path, const std::optional<FileIdentity> &expected)
{
    const QString name = visibleFileName(path);
    struct stat link;
    if (path.isEmpty() || path.contains('\0') || ::lstat(path.constData(), &link) != 0)
        return CleanError(CleanError::Kind::notFound, {name});
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return CleanError(S_ISLNK(link.st_mode) ? CleanError::Kind::linkTargetMissing : CleanError::Kind::notFound,
                          {name});
    const QByteArray real(resolved);
    ::free(resolved);

    // Non-blocking: opening a pipe must not wait for a writer.
    const int fd = ::open(real.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return CleanError(CleanError::Kind::notFound, {name});
        return systemFailure(CleanError::Kind::cannotOpen, name, error);
    }
    OriginalFile file(fd, real, name);
    if (::fstat(fd, &file.m_snapshot) != 0)
        return systemFailure(CleanError::Kind::cannotOpen, name, errno);
    const struct stat &info = file.m_snapshot;
    if (S_ISDIR(info.st_mode))
        return CleanError(CleanError::Kind::folder, {name});
    if (!S_ISREG(info.st_mode))
        return CleanError(CleanError::Kind::notRegularFile, {name});
    if (expected && (expected->device != quint64(info.st_dev) || expected->inode != quint64(info.st_ino)))
        return CleanError(CleanError::Kind::replacedSinceAdded, {name});
    // Rewriting gives the name a new file: any other name of the old one (a
    // hard link) would keep every tag while the window said "done".
    if (info.st_nlink > 1)
        return CleanError(CleanError::Kind::hardLinks, {name, QString::number(info.st_nlink - 1)});
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return CleanError(CleanError::Kind::cleanedElsewhere, {name});
    if (openForWritingByOthers(fd, info))
        return CleanError(CleanError::Kind::openForWriting, {name});
    return file;
}

QByteArray OriginalFile::head(qsizetype bytes) const
{
    QByteArray data(bytes, '\0');
    const ssize_t got = ::pread(m_fd, data.data(), data.size(), 0);
    data.truncate(std::max<ssize_t>(got, 0));
    return data;
}

Expected<Success> OriginalFile::checkUnchanged() const
{
    struct stat now;
    if (::stat(m_realPath.constData(), &now) != 0 || !sameFile(now, m_snapshot))
        return CleanError(CleanError::Kind::changedWhileCleaning, {m_displayName});
    struct stat opened;
    if (::fstat(m_fd, &opened) != 0 || !sameFile(opened, m_snapshot))
        return CleanError(CleanError::Kind::changedWhileCleaning, {m_displayName});
    return Success{};
}

Expected<OriginalFile::WriteGuard> OriginalFile::guardAgainstWriters() const
{
    ignoreLeaseBreaks();
    if (::fcntl(m_fd, F_SETLEASE, F_RDLCK) == 0)
        return WriteGuard(m_fd);
    if (errno == EAGAIN || openForWritingByOthers(m_fd, m_snapshot))
        return CleanError(CleanError::Kind::openForWriting, {m_displayName});
    return WriteGuard(-1); // no lease here: the look above is all there is
}

OriginalFile::WriteGuard::~WriteGuard()
{
    if (m_fd >= 0)
        ::fcntl(m_fd, F_SETLEASE, F_UNLCK);
}
