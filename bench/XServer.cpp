#include "XServer.h"

#include "BenchChildren.h"
#include "ProcStats.h"

#include <QFile>

#include <chrono>
#include <csignal>
#include <thread>

using namespace BenchChildren;
using namespace std::chrono_literals;

XServer::XServer(const QString &logDir, bool compositor)
{
    for (int display = 90; display < 300 && !m_xvfb; ++display) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))
            || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
            continue;
        const pid_t pid = spawn({QStringLiteral("/usr/bin/Xvfb"), QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                                 QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                 QStringLiteral("tcp")},
                                currentEnvironment(), logDir + QStringLiteral("/xvfb.log"));
        for (int wait = 0; wait < 200 && !exited(pid); ++wait) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) {
                m_xvfb = pid;
                m_display = QStringLiteral(":%1").arg(display);
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
        if (!m_xvfb) { // lost a race for the number, or never came up
            ::kill(pid, SIGKILL);
            reap(pid);
        }
    }
    if (!m_xvfb)
        qFatal("cannot start Xvfb");
    if (compositor) {
        m_compositor = spawn({QStringLiteral("/usr/bin/xcompmgr")},
                             withVariables(currentEnvironment(), {{QStringLiteral("DISPLAY"), m_display}}),
                             logDir + QStringLiteral("/xcompmgr.log"));
        std::this_thread::sleep_for(500ms);
        if (exited(m_compositor))
            qFatal("xcompmgr did not start");
    }
}

XServer::~XServer()
{
    for (pid_t pid : {m_compositor, m_xvfb}) {
        if (pid) {
            ::kill(pid, SIGTERM);
            reap(pid);
        }
    }
}

double XServer::cpuSeconds() const
{
    return procStat(m_xvfb).self + (m_compositor ? procStat(m_compositor).self : 0);
}
