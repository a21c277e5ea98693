#include "ControlledRunner.h"

#include <QDeadlineTimer>
#include <QFileInfo>

Expected<QByteArray> ControlledRunner::run(const QString &, const QStringList &arguments, std::chrono::milliseconds)
{
    const int now = ++m_concurrent;
    int seen = m_maxConcurrent.load();
    while (now > seen && !m_maxConcurrent.compare_exchange_weak(seen, now)) { }
    ++m_runs;

    const QString name = QFileInfo(arguments.last()).fileName();
    const bool isRead = arguments.contains(QStringLiteral("-j"));

    QMutexLocker lock(&m_mutex);
    if (m_gates.contains(name)) {
        ++m_gates[name].waiting;
        m_changed.wakeAll();
        while (!m_gates[name].open)
            m_changed.wait(&m_mutex);
        --m_gates[name].waiting;
    }

    Expected<QByteArray> result = QByteArray();
    if (isRead) {
        result = m_stripped.value(name)
                     ? QByteArray(R"([{"SourceFile":"x","FileName":"kept"}])")
                     : QByteArray(R"([{"SourceFile":"x","FileName":"kept","Artist":"Jane","GPSLatitude":48.85}])");
    } else if (m_stripFailures.contains(name)) {
        result = ExifToolError::processError(m_stripFailures.value(name));
    } else {
        m_stripped[name] = true;
    }
    lock.unlock();
    --m_concurrent;
    return result;
}

void ControlledRunner::hold(const QString &fileName)
{
    QMutexLocker lock(&m_mutex);
    m_gates[fileName] = Gate{};
}

void ControlledRunner::release(const QString &fileName)
{
    QMutexLocker lock(&m_mutex);
    m_gates[fileName].open = true;
    m_changed.wakeAll();
}

void ControlledRunner::failStrip(const QString &fileName, const QString &stderrText)
{
    QMutexLocker lock(&m_mutex);
    m_stripFailures.insert(fileName, stderrText);
}

bool ControlledRunner::waitUntilHeld(const QString &fileName, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&m_mutex);
    while (m_gates.value(fileName).waiting == 0) {
        if (!m_changed.wait(&m_mutex, deadline))
            return false;
    }
    return true;
}
