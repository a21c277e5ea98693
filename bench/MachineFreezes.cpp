#include "MachineFreezes.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <unistd.h>

qint64 Interval::overlap(const Interval &other) const
{
    return std::max<qint64>(0, std::min(to, other.to) - std::max(from, other.from));
}

qint64 nowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void idleWatch()
{
    qint64 last = nowNs();
    for (;;) {
        ::usleep(1000);
        const qint64 now = nowNs();
        if (now - last > 20'000'000) {
            std::printf("%lld %lld\n", last, now);
            std::fflush(stdout);
        }
        last = now;
    }
}

MachineFreezes::MachineFreezes()
{
    m_watch.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--idle-watch")});
    if (!m_watch.waitForStarted())
        qFatal("cannot start the idle watch");
}

QList<Interval> MachineFreezes::stop()
{
    m_watch.kill();
    m_watch.waitForFinished();
    QList<Interval> freezes;
    for (const QByteArray &line : m_watch.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2)
            freezes.append({fields[0].toLongLong(), fields[1].toLongLong()});
    }
    return freezes;
}
