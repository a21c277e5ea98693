#pragma once

#include <Expected.h>
#include <FileIdentity.h>

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/stat.h>

// The user's file as it is when its clean starts: opened (read-only) and
// locked against other Tessaly windows, checked to be a plain file that
// nobody is writing, and remembered (device, inode, size, times) so that a
// cleaned version is only ever renamed over that same, unchanged file.
class OriginalFile
{
public:
    // `path` is the name's bytes, UTF-8 or not, and may be a link: the file
    // behind it is the one opened and cleaned. `expected` is what the path led
    // to when the file was added; a path that now leads elsewhere (a link
    // changed, the file replaced) is refused.
    static Expected<OriginalFile> open(const QByteArray &path, const std::optional<FileIdentity> &expected);

    OriginalFile(OriginalFile &&other) noexcept;
    OriginalFile &operator=(OriginalFile &&) = delete;
    OriginalFile(const OriginalFile &) = delete;
    ~OriginalFile();

    int descriptor() const { return m_fd; }
    // The file's real path, links resolved, as text for the tools to read.
    // A path that is not UTF-8 has no such text: it reads "/proc/self/fd/N",
    // this file's descriptor, which a child tool is handed (ChildProcess).
    const QString &path() const { return m_path; }
    // The real path's bytes: what a cleaned version replaces.
    const QByteArray &realPath() const { return m_realPath; }
    QByteArray folderPath() const { return m_realPath.left(m_realPath.lastIndexOf('/')); }
    QByteArray fileName() const { return m_realPath.mid(m_realPath.lastIndexOf('/') + 1); }
    // The name the user knows it by, for messages.
    const QString &displayName() const { return m_displayName; }
    qint64 size() const { return qint64(m_snapshot.st_size); }
    const struct stat &snapshot() const { return m_snapshot; }
    QByteArray head(qsizetype bytes) const;

    // Fails with changedWhileCleaning when the path no longer leads to the
    // file as it was opened: replaced, rewritten, grown or touched.
    Expected<Success> checkUnchanged() const;

    // While a guard lives, nobody else can open the file for writing without
    // waiting for it (a read lease); fails with openForWriting when somebody
    // has it open for writing now.
    class WriteGuard
    {
    public:
        explicit WriteGuard(int fd) : m_fd(fd) { }
        WriteGuard(WriteGuard &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) { }
        ~WriteGuard();
        WriteGuard(const WriteGuard &) = delete;
        WriteGuard &operator=(const WriteGuard &) = delete;
        WriteGuard &operator=(WriteGuard &&) = delete;

    private:
        int m_fd;
    };
    Expected<WriteGuard> guardAgainstWriters() const;

private:
    OriginalFile(int fd, QByteArray realPath, QString displayName);

    int m_fd = -1;
    QByteArray m_realPath;
    QString m_path;
    QString m_displayName;
    struct stat m_snapshot {};
};
