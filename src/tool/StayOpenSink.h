#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace StayOpen {

// The new file a worker's standard output is written to, when a run asks
// for one; open while this lives.
class Sink
{
public:
    explicit Sink(const QString &path) : m_path(QFile::encodeName(path))
    {
        if (m_path.isEmpty())
            return;
        m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        m_error = m_fd < 0 ? errno : 0;
    }
    ~Sink()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Sink(const Sink &) = delete;
    Sink &operator=(const Sink &) = delete;

    bool ready() const { return m_error == 0; }
    int fd() const { return m_fd; }
    QString failure() const
    {
        return QStringLiteral("Error: cannot create the cleaned copy: %1").arg(QString::fromLocal8Bit(::strerror(m_error)));
    }
    // For a command the worker never read: nothing was written.
    void remove() const
    {
        if (m_fd >= 0)
            ::unlink(m_path.constData());
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    int m_error = 0;
};

} // namespace StayOpen
