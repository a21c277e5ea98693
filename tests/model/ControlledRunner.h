#pragma once

#include <ToolRunner.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>

// Answers in-process, so that pipeline tests decide the order in which files
// finish and count runs exactly. Reads answer with the "before" table until
// the file has been stripped, then with the "after" table.
class ControlledRunner final : public ToolRunner
{
public:
    Expected<QByteArray> run(const QString &, const QStringList &arguments, std::chrono::milliseconds) override
    {
        const int now = ++m_concurrent;
        for (int seen = m_maxConcurrent; now > seen && !m_maxConcurrent.compare_exchange_weak(seen, now);) { }
        ++m_runs;
        const QString name = QFileInfo(arguments.last()).fileName();
        QMutexLocker lock(&m_mutex);
        if (m_gates.contains(name)) {
            ++m_gates[name].waiting;
            m_changed.wakeAll();
            while (!m_gates[name].open)
                m_changed.wait(&m_mutex);
            --m_gates[name].waiting;
        }
        Expected<QByteArray> result = QByteArray();
        if (const qsizetype output = arguments.indexOf(QStringLiteral("-o")); output >= 0 && !m_stripFailures.contains(name)) {
            QFile copy(arguments.at(output + 1)); // the cleaned copy the app stages
            copy.open(QIODevice::WriteOnly);
            copy.write("cleaned");
        }
        if (arguments.contains(QStringLiteral("-j")))
            result = QByteArray(m_stripped.contains(name) ? R"([{"SourceFile":"x","FileName":"kept"}])"
                                                          : R"([{"SourceFile":"x","FileName":"kept","Artist":"Jane","GPSLatitude":48.85}])");
        else if (m_stripFailures.contains(name))
            result = ExifToolError::processError(m_stripFailures.value(name));
        else
            m_stripped[name] = true;
        --m_concurrent;
        return result;
    }

    // Every run on the file (by name) waits until release().
    void hold(const QString &name) { QMutexLocker lock(&m_mutex); m_gates[name] = Gate{}; }
    void release(const QString &name) { QMutexLocker lock(&m_mutex); m_gates[name].open = true; m_changed.wakeAll(); }
    void failStrip(const QString &name, const QString &stderrText) { QMutexLocker lock(&m_mutex); m_stripFailures.insert(name, stderrText); }
    // Blocks until a run on the file waits at its hold.
    bool waitUntilHeld(const QString &name)
    {
        QDeadlineTimer deadline(10000);
        QMutexLocker lock(&m_mutex);
        while (m_gates.value(name).waiting == 0)
            if (!m_changed.wait(&m_mutex, deadline))
                return false;
        return true;
    }
    int maxConcurrentRuns() const { return m_maxConcurrent; }
    int runCount() const { return m_runs; }

private:
    struct Gate { bool open = false; int waiting = 0; };
    QMutex m_mutex;
    QWaitCondition m_changed;
    QHash<QString, Gate> m_gates;
    QHash<QString, QString> m_stripFailures;
    QHash<QString, bool> m_stripped;
    std::atomic<int> m_concurrent{0}, m_maxConcurrent{0}, m_runs{0};
};
