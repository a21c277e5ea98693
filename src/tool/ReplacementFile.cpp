#include "ReplacementFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

CleanError failure(const QString &what, int error)
{
    return CleanError{QStringLiteral("%1: %2").arg(what, systemMessage(error))};
}

bool syncPath(const QByteArray &path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

ReplacementFile::ReplacementFile(QString target, QString path)
    : m_target(std::move(target))
    , m_path(std::move(path))
{
}

ReplacementFile::ReplacementFile(ReplacementFile &&other) noexcept
    : m_target(std::move(other.m_target))
    , m_path(std::exchange(other.m_path, QString()))
{
}

ReplacementFile::~ReplacementFile()
{
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
}

Expected<ReplacementFile> ReplacementFile::create(const QString &target, Start start)
{
    const QByteArray targetName = QFile::encodeName(target);
    struct stat original;
    if (::stat(targetName.constData(), &original) != 0)
        return failure(QStringLiteral("Cannot read the file"), errno);

    const QFileInfo info(target);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QByteArray pattern = QFile::encodeName(info.dir().filePath(QStringLiteral(".tessaly-XXXXXX") + suffix));
    const int fd = ::mkstemps(pattern.data(), int(QFile::encodeName(suffix).size()));
    if (fd < 0)
        return failure(QStringLiteral("Cannot write in the file's folder"), errno);
    ReplacementFile replacement(target, QFile::decodeName(pattern));

    // Only the owner or root can give the copy the original's owner; anyone
    // else keeps their own, as with any rewrite of the file.
    [[maybe_unused]] const int owned = ::fchown(fd, original.st_uid, original.st_gid);
    const int modeSet = ::fchmod(fd, original.st_mode & 07777);
    const int modeError = errno;
    ::close(fd);
    if (modeSet != 0)
        return failure(QStringLiteral("Cannot give the new file the original's permissions"), modeError);

    if (start == Start::copyOfTarget) {
        std::error_code error;
        std::filesystem::copy_file(targetName.constData(), pattern.constData(),
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            return CleanError{QStringLiteral("Cannot copy the file: %1").arg(QString::fromStdString(error.message()))};
        // copy_file may have set the mode from its own idea of the source.
        ::chmod(pattern.constData(), original.st_mode & 07777);
    }
    return replacement;
}

Expected<Success> ReplacementFile::commit()
{
    const QByteArray path = QFile::encodeName(m_path);
    if (!syncPath(path, O_RDONLY))
        return failure(QStringLiteral("Cannot write the cleaned file to disk"), errno);
    if (::rename(path.constData(), QFile::encodeName(m_target).constData()) != 0)
        return failure(QStringLiteral("Cannot replace the file with its cleaned version"), errno);
    m_path.clear();
    // The rename itself reaches the disk with the folder.
    syncPath(QFile::encodeName(QFileInfo(m_target).absolutePath()), O_RDONLY | O_DIRECTORY);
    return Success{};
}
