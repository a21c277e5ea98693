#pragma once

#include <CleanResult.h>
#include <FileCleaner.h>

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <atomic>
#include <deque>
#include <memory>
#include <optional>

class QThreadPool;

// The files waiting to be cleaned and those being cleaned: hands them to the
// pool a few at a time, gives up the ones it is told to, and reports what
// happened in batches. Lives on the UI thread; jobs on the pool get a
// request by value. Every job queued is reported exactly once, whether it
// was cleaned, failed, dropped before it started or given up.
class CleaningQueue : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        QUuid id;
        // Absent when the job never ran to its end: dropped while waiting,
        // or given up while being cleaned (the file is then as it was).
        std::optional<CleanResult> result;
        bool partOfRun = false;
    };

    CleaningQueue(const FileCleaner &cleaner, QThreadPool &pool, QObject *parent = nullptr);
    // Drops what waits, gives up what runs and waits for it.
    ~CleaningQueue() override;

    void enqueue(CleanRequest request, bool partOfRun);
    // The job waiting is dropped, the one being cleaned given up. Either
    // way its outcome carries no result unless the clean was already past
    // the point where the file is replaced.
    void cancel(const QUuid &id);
    // Cancels every job, and reports those that were waiting at once.
    void stop();

    qsizetype waitingCount() const { return qsizetype(m_waiting.size()); }
    qsizetype runningCount() const { return m_running.size(); }
    bool isIdle() const { return m_waiting.empty() && m_running.isEmpty(); }

signals:
    // Jobs a worker has taken up: their files are being cleaned now.
    void started(const QList<QUuid> &ids);
    void finished(const QList<CleaningQueue::Outcome> &outcomes);

private:
    struct Waiting
    {
        CleanRequest request;
        bool partOfRun;
    };
    struct Running
    {
        QFutureWatcher<CleanResult> *watcher;
        std::shared_ptr<std::atomic<bool>> cancel;
        bool partOfRun;
    };
    // Hands waiting jobs to the pool while fewer than a few per thread are in flight.
    void feedPool();
    void jobStarted(const QUuid &id);
    void jobFinished(const QUuid &id);
    void flush();
    void flushSoon();

    const FileCleaner &m_cleaner;
    QThreadPool &m_pool;
    std::deque<Waiting> m_waiting;
    QHash<QUuid, Running> m_running;
    QList<QUuid> m_started;
    QList<Outcome> m_finished;
    QTimer m_pace;
};
