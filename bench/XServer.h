#pragma once

#include <QString>

#include <sys/types.h>

// An X server of our own on a display nobody uses, optionally with a compositor.
class XServer
{
public:
    XServer(const QString &logDir, bool compositor);
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    QString display() const { return m_display; }
    double cpuSeconds() const;
    bool owns(pid_t pid) const { return pid == m_xvfb || pid == m_compositor; }

private:
    pid_t m_xvfb = 0, m_compositor = 0;
    QString m_display;
};
