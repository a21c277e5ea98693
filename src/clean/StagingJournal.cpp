#include "StagingJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <mutex>
#include <tuple>
#include <vector>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Emptied notes kept open and locked: a note per file would otherwise create
// and delete a file in the state folder for every file cleaned.
struct StagingJournal::Spares
{
    std::mutex mutex;
    bool closed = false;
    std::vector<std::pair<QString, int>> notes; // path, descriptor
};

StagingJournal::StagingJournal(QString folder)
    : m_folder(std::move(folder))
    , m_spares(std::make_shared<Spares>())
{
}

StagingJournal::~StagingJournal()
{
    std::lock_guard lock(m_spares->mutex);
    m_spares->closed = true;
    for (const auto &[path, fd] : m_spares->notes) {
        ::unlink(QFile::encodeName(path).constData());
        ::close(fd);
    }
    m_spares->notes.clear();
}

QString StagingJournal::defaultFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tessaly/staging");
}

StagingJournal::Note::Note(Note &&other) noexcept
    : m_path(std::exchange(other.m_path, QString()))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_spares(std::move(other.m_spares))
{
}

StagingJournal::Note &StagingJournal::Note::operator=(Note &&other) noexcept
{
    if (this != &other) {
        discard();
        m_path = std::exchange(other.m_path, QString());
        m_fd = std::exchange(other.m_fd, -1);
        m_spares = std::move(other.m_spares);
    }
    return *this;
}

StagingJournal::Note::~Note()
{
    discard();
}

void StagingJournal::Note::discard()
{
    // Emptied, it names nothing: a sweep after a crash just removes it.
    if (m_spares && m_fd >= 0 && !m_path.isEmpty() && ::ftruncate(m_fd, 0) == 0) {
        std::lock_guard lock(m_spares->mutex);
        if (!m_spares->closed) {
            m_spares->notes.emplace_back(std::exchange(m_path, QString()), std::exchange(m_fd, -1));
            m_spares.reset();
            return;
        }
    }
    m_spares.reset();
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    if (m_fd >= 0)
        ::close(m_fd);
    m_path.clear();
    m_fd = -1;
}

void StagingJournal::Note::release()
{
    m_spares.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_path.clear();
    m_fd = -1;
}

StagingJournal::Note StagingJournal::note(const QByteArray &stagedFolder) const
{
    Note note;
    const QByteArray &content = stagedFolder;
    {
        std::lock_guard lock(m_spares->mutex);
        if (!m_spares->notes.empty()) {
            std::tie(note.m_path, note.m_fd) = m_spares->notes.back();
            m_spares->notes.pop_back();
        }
    }
    if (note.m_fd >= 0) {
        note.m_spares = m_spares;
        // Empty and still locked since it was discarded.
        if (::pwrite(note.m_fd, content.constData(), content.size(), 0) == content.size())
            return note;
        note.m_spares.reset();
        note.discard();
    }
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return note;
    QByteArray pattern = QFile::encodeName(m_folder + QStringLiteral("/XXXXXX.note"));
    const int fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
    if (fd < 0)
        return note;
    note.m_fd = fd;
    note.m_path = QFile::decodeName(pattern);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::write(fd, content.constData(), content.size()) != content.size())
        note.discard();
    else
        note.m_spares = m_spares;
    return note;
}

int StagingJournal::sweep() const
{
    int removed = 0;
    const QStringList notes = QDir(m_folder).entryList({QStringLiteral("*.note")}, QDir::Files | QDir::Hidden);
    for (const QString &name : notes) {
        const QByteArray path = QFile::encodeName(m_folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd); // its app is still running
            continue;
        }
        QByteArray content(4096, '\0');
        const ssize_t got = ::read(fd, content.data(), content.size());
        content.truncate(std::max<ssize_t>(got, 0));
        // Only ever a folder we would have made: anything else is left alone.
        struct stat info;
        if (content.mid(content.lastIndexOf('/') + 1).startsWith(stagedFolderPrefix) && !content.contains('\0')
            && ::lstat(content.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
            if (!removeStagedFolder(content)) {
                ::close(fd); // still there: the next sweep tries again
                continue;
            }
            ++removed;
        }
        ::unlink(path.constData());
        ::close(fd);
    }
    return removed;
}

bool removeStagedFolder(const QByteArray &folder)
{
    // A clean that went through left it empty.
    if (::rmdir(folder.constData()) == 0 || errno == ENOENT)
        return true;
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd >= 0) {
        if (DIR *dir = ::fdopendir(dirFd)) {
            while (const dirent *entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != "..")
                    ::unlinkat(dirfd(dir), entry->d_name, 0);
            }
            ::closedir(dir);
        } else {
            ::close(dirFd);
        }
    }
    return ::rmdir(folder.constData()) == 0 || errno == ENOENT;
}
