#include "StagedCopy.h"

#include "FileAttributes.h"
#include "OriginalFile.h"
#include "PassTimes.h"
#include "SystemError.h"
#include "WholeFile.h"

#include <LocalName.h>

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// rename() that fails with EEXIST instead of replacing. Not every file system
// has it; those get a hard link and an unlink, and those without hard links
// (FAT) a look before the rename.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    struct stat existing;
    if (::lstat(to.constData(), &existing) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// The name a staged version takes inside its folder: the original's, or for
// a name that is not UTF-8 a plain one with its extension, which tools may
// go by.
QByteArray stagedFileName(const QByteArray &original)
{
    if (isTextPath(original))
        return original;
    const qsizetype dot = original.lastIndexOf('.');
    const QByteArray extension = dot > 0 ? original.mid(dot) : QByteArray();
    return isTextPath(extension) ? "file" + extension : QByteArray("file");
}

} // namespace

QByteArray cleanedCopyName(const QByteArray &fileName, int n)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    const QByteArray base = dot > 0 ? fileName.left(dot) : fileName;
    const QByteArray extension = dot > 0 ? fileName.mid(dot) : QByteArray();
    const QByteArray mark = n > 1 ? " (cleaned " + QByteArray::number(n) + ')' : QByteArray(" (cleaned)");
    return base + mark + extension;
}

bool isCleanedCopyName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral(R"( \(cleaned(?: [0-9]+)?\)(?:\.[^.]*)?$)"));
    return pattern.match(fileName).hasMatch();
}

StagedCopy::StagedCopy(QByteArray folder, QByteArray fileName, QString displayName, StagingJournal::Note note)
    : m_folderBytes(std::move(folder))
    , m_pathBytes(m_folderBytes + '/' + fileName)
    , m_displayName(std::move(displayName))
    , m_note(std::move(note))
{
    if (!isTextPath(m_folderBytes))
        m_folderFd = ::open(m_folderBytes.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    m_folder = m_folderFd >= 0 ? descriptorPath(m_folderFd) : QString::fromUtf8(m_folderBytes);
    m_path = m_folder + u'/' + QString::fromUtf8(fileName);
}

StagedCopy::StagedCopy(StagedCopy &&other) noexcept
    : m_folderBytes(std::exchange(other.m_folderBytes, QByteArray()))
    , m_pathBytes(std::move(other.m_pathBytes))
    , m_folderFd(std::exchange(other.m_folderFd, -1))
    , m_folder(std::move(other.m_folder))
    , m_path(std::move(other.m_path))
    , m_displayName(std::move(other.m_displayName))
    , m_note(std::move(other.m_note))
    , m_ownerKept(other.m_ownerKept)
    , m_groupKept(other.m_groupKept)
{
}

StagedCopy::~StagedCopy()
{
    dropFolder();
}

void StagedCopy::dropFolder()
{
    if (m_folderFd >= 0)
        ::close(std::exchange(m_folderFd, -1));
    if (m_folderBytes.isEmpty())
        return;
    if (removeStagedFolder(m_folderBytes))
        m_note.discard();
    else
        m_note.release();
    m_folderBytes.clear();
}

Expected<StagedCopy> StagedCopy::create(const OriginalFile &original, const StagingJournal *journal)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = stagedFolderPrefix;
        for (int i = 0; i < 8; ++i)
            name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const QByteArray folder = original.folderPath() + '/' + name;
        // The note names the folder before it exists: a crash in between
        // leaves a note for nothing, never a folder nobody will remove.
        StagingJournal::Note note = journal ? journal->note(folder) : StagingJournal::Note();
        if (::mkdir(folder.constData(), 0700) == 0)
            return StagedCopy(folder, stagedFileName(original.fileName()), original.displayName(), std::move(note));
        if (errno != EEXIST)
            return systemFailure(CleanError::Kind::folderNotWritable, original.displayName(), errno);
    }
    return systemFailure(CleanError::Kind::folderNotWritable, original.displayName(), EEXIST);
}

Expected<Success> StagedCopy::copyOriginal(const OriginalFile &original)
{
    const int to = ::open(m_pathBytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (to < 0)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, errno);
    off_t offset = 0;
    const off_t size = original.snapshot().st_size;
    int error = 0;
    while (offset < size) {
        const ssize_t copied = ::copy_file_range(original.descriptor(), &offset, to, nullptr, size_t(size - offset), 0);
        if (copied > 0)
            continue;
        if (copied == 0)
            break; // shorter than it was: the change check will say so
        if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL) {
            error = errno;
            break;
        }
        // No in-kernel copy here: the plain way.
        char buffer[1 << 16];
        const ssize_t got = ::pread(original.descriptor(), buffer, sizeof buffer, offset);
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        error = WholeFile::writeAll(to, QByteArrayView(buffer, got));
        if (error)
            break;
        offset += got;
    }
    if (::close(to) != 0 && !error)
        error = errno;
    if (error)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, error);
    return Success{};
}

Expected<Success> StagedCopy::moveToPath()
{
    if (::rename((m_folderBytes + "/cleaned").constData(), m_pathBytes.constData()) != 0)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, errno);
    return Success{};
}

Expected<Success> StagedCopy::finish(const OriginalFile &original, bool keepModificationTime)
{
    const int fd = ::open(m_pathBytes.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, errno);
    struct stat written;
    if (::fstat(fd, &written) != 0 || !S_ISREG(written.st_mode) || written.st_size == 0) {
        ::close(fd);
        return CleanError(CleanError::Kind::verifyFailed, {m_displayName, QStringLiteral("empty")});
    }
    const FileAttributes::Ownership ownership = FileAttributes::copy(original.descriptor(), fd);
    m_ownerKept = ownership.ownerKept;
    m_groupKept = ownership.groupKept;
    if (keepModificationTime) {
        const timespec times[2] = {{0, UTIME_NOW}, original.snapshot().st_mtim};
        ::futimens(fd, times);
    }
    // The disk starts on it now; the flush before the rename then waits for
    // what is left instead of for all of it.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
    return Success{};
}

Expected<Success> StagedCopy::flush()
{
    const PassTimes timed(PassTimes::Pass::fsync);
    const int fd = ::open(m_pathBytes.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, errno);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, error);
    return Success{};
}

Expected<Success> StagedCopy::replace(const OriginalFile &original)
{
    if (!m_ownerKept)
        return CleanError(CleanError::Kind::ownerNotKept, {m_displayName});
    if (!m_groupKept)
        return CleanError(CleanError::Kind::groupNotKept, {m_displayName});
    if (auto flushed = flush(); !flushed)
        return flushed.error();
    auto guard = original.guardAgainstWriters();
    if (!guard)
        return guard.error();
    if (auto unchanged = original.checkUnchanged(); !unchanged)
        return unchanged.error();
    PassTimes renaming(PassTimes::Pass::rename);
    if (::rename(m_pathBytes.constData(), original.realPath().constData()) != 0)
        return systemFailure(CleanError::Kind::writeFailed, m_displayName, errno);
    syncFolder(original.folderPath());
    renaming.stop();
    dropFolder();
    return Success{};
}

Expected<QByteArray> StagedCopy::saveAsCopy(const OriginalFile &original)
{
    if (!m_groupKept) {
        const int fd = ::open(m_pathBytes.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool closed = fd >= 0 && FileAttributes::closeToGroup(fd);
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!closed)
            return systemFailure(CleanError::Kind::writeFailed, m_displayName, error);
    }
    if (auto flushed = flush(); !flushed)
        return flushed.error();
    // A copy made while the original changed could be half of each version.
    if (auto unchanged = original.checkUnchanged(); !unchanged)
        return unchanged.error();
    for (int n = 1; n < 1000; ++n) {
        const QByteArray target = original.folderPath() + '/' + cleanedCopyName(original.fileName(), n);
        const int error = renameNoReplace(m_pathBytes, target);
        if (error == EEXIST)
            continue;
        if (error != 0)
            return systemFailure(CleanError::Kind::writeFailed, m_displayName, error);
        syncFolder(original.folderPath());
        dropFolder();
        return target;
    }
    return CleanError(CleanError::Kind::copyExists, {visibleName(cleanedCopyName(original.fileName(), 999))});
}
