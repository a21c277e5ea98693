#pragma once

#include <ToolRunner.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>

// Stands in for exiftool in-process, so that pipeline and view tests decide
// the order in which files finish and count runs exactly. Reads answer with
// `before` until the file was stripped, then with `after`; without answers
// every run fails. A strip writes the staged copy it was asked for.
class ControlledRunner final : public ToolRunner
{
public:
    explicit ControlledRunner(QByteArray before = R"([{"SourceFile":"x","FileName":"kept","Artist":"Jane","GPSLatitude":48.85}])",
                              QByteArray after = R"([{"SourceFile":"x","FileName":"kept"}])")
        : m_before(std::move(before)), m_after(std::move(after)) { }

    Expected<QByteArray> run(const QString &, const QStringList &arguments, std::chrono::milliseconds,
                             const SandboxGrant &grant = {}) override
    {
        ++m_runs;
        const QString name = QFileInfo(arguments.last()).fileName();
        QMutexLocker lock(&m_mutex);
        const bool check = arguments.last().contains(QStringLiteral("/.tessaly-staging"));
        const QString gate = check && m_gates.contains(QStringLiteral("check:") + name) ? QStringLiteral("check:") + name : name;
        if (m_holdAll || m_gates.contains(gate)) {
            ++m_gates[gate].waiting;
            m_changed.wakeAll();
            while (!m_gates[gate].open && !stopping())
                m_changed.wait(&m_mutex, 50);
            --m_gates[gate].waiting;
        }
        if (m_before.isEmpty())
            return ExifToolError::processError(QStringLiteral("no tool"));
        // A read of a staged version reads what was written, whoever wrote it.
        if (arguments.contains(QStringLiteral("-j")))
            return m_stripped.contains(name) || arguments.last().contains(QStringLiteral("/.tessaly-staging"))
                ? m_after : m_before;
        if (m_stripFailures.contains(name))
            return ExifToolError::processError(m_stripFailures.value(name));
        if (arguments.contains(QStringLiteral("-o"))) {
            QFile copy(grant.standardOutputTo); // the cleaned copy the app stages
            copy.open(QIODevice::WriteOnly);
            copy.write("cleaned");
        }
        m_stripped.insert(name);
        return QByteArray();
    }

    // Every run on the file (by name), or on any file, waits until released.
    // "check:<name>" holds only the read of the file's cleaned, staged version.
    void hold(const QString &name) { QMutexLocker lock(&m_mutex); m_gates[name] = Gate{}; }
    void holdAll() { QMutexLocker lock(&m_mutex); m_holdAll = true; }
    void release(const QString &name) { QMutexLocker lock(&m_mutex); m_gates[name].open = true; m_changed.wakeAll(); }
    void releaseAll()
    {
        QMutexLocker lock(&m_mutex);
        m_holdAll = false;
        for (Gate &gate : m_gates)
            gate.open = true;
        m_changed.wakeAll();
    }
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
    int runCount() const { return m_runs; }

private:
    struct Gate { bool open = false; int waiting = 0; };
    const QByteArray m_before, m_after;
    QMutex m_mutex;
    QWaitCondition m_changed;
    QHash<QString, Gate> m_gates;
    bool m_holdAll = false;
    QHash<QString, QString> m_stripFailures;
    QSet<QString> m_stripped;
    std::atomic<int> m_runs{0};
};
