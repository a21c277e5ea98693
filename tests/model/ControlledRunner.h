#pragma once

#include <ToolRunner.h>

#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QWaitCondition>

#include <atomic>
#include <memory>

// A stand-in for the tool that answers in-process, so pipeline tests can
// decide the order in which files finish and count runs exactly. Reads
// answer with the file's "before" table until the file has been stripped,
// then with its "after" table.
class ControlledRunner final : public ToolRunner
{
public:
    Expected<QByteArray> run(const QString &program, const QStringList &arguments,
                             std::chrono::milliseconds limit) override;

    // Holds every run on this file (by file name) until release() is called.
    void hold(const QString &fileName);
    void release(const QString &fileName);
    void failStrip(const QString &fileName, const QString &stderrText);

    int maxConcurrentRuns() const { return m_maxConcurrent.load(); }
    int runCount() const { return m_runs.load(); }
    // Blocks until a run on the file is waiting at its hold.
    bool waitUntilHeld(const QString &fileName, int timeoutMs = 10000);

private:
    struct Gate
    {
        bool open = false;
        int waiting = 0;
    };

    QMutex m_mutex;
    QWaitCondition m_changed;
    QHash<QString, Gate> m_gates;
    QHash<QString, QString> m_stripFailures;
    QHash<QString, bool> m_stripped;
    std::atomic<int> m_concurrent{0};
    std::atomic<int> m_maxConcurrent{0};
    std::atomic<int> m_runs{0};
};
