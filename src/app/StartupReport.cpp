#include "StartupReport.h"

#include <QFile>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

#include <unistd.h>

namespace {

double clockSeconds(clockid_t clock)
{
    timespec now {};
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

// The process's age: its start in clock ticks since boot, from /proc.
double secondsSinceLaunch()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Field 22, counted after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    return clockSeconds(CLOCK_BOOTTIME) - fields[19].toDouble() / double(::sysconf(_SC_CLK_TCK));
}

} // namespace

void reportStartupOnFirstFrame(const QList<QWindow *> &windows)
{
    if (!qEnvironmentVariableIsSet("TESSALY_STARTUP_REPORT"))
        return;
    auto reported = std::make_shared<bool>(false);
    for (QWindow *window : windows) {
        auto *quick = qobject_cast<QQuickWindow *>(window);
        if (!quick)
            continue;
        // Emitted on the render thread where there is one; the figures are the process's either way.
        QObject::connect(quick, &QQuickWindow::frameSwapped, quick, [reported] {
            if (std::exchange(*reported, true))
                return;
            std::fprintf(stderr, "tessaly-startup: first_frame_s=%.3f cpu_s=%.3f\n", secondsSinceLaunch(),
                         clockSeconds(CLOCK_PROCESS_CPUTIME_ID));
            std::fflush(stderr);
        }, Qt::DirectConnection);
    }
}

void afterFirstFrame(const QList<QWindow *> &windows, QObject *context, std::function<void()> then, int latest)
{
    auto pending = std::make_shared<std::function<void()>>(std::move(then));
    const auto once = [pending] {
        if (*pending)
            std::exchange(*pending, nullptr)();
    };
    for (QWindow *window : windows) {
        if (auto *quick = qobject_cast<QQuickWindow *>(window))
            QObject::connect(quick, &QQuickWindow::frameSwapped, context, once, Qt::QueuedConnection);
    }
    QTimer::singleShot(latest, context, once);
}
