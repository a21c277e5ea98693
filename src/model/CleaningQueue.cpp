#include "CleaningQueue.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

CleaningQueue::CleaningQueue(const FileCleaner &cleaner, QThreadPool &pool, QObject *parent)
    : QObject(parent)
    , m_cleaner(cleaner)
    , m_pool(pool)
{
    m_pace.setSingleShot(true);
    m_pace.setInterval(100);
    connect(&m_pace, &QTimer::timeout, this, &CleaningQueue::flush);
}

CleaningQueue::~CleaningQueue()
{
    // Those under way stop at their next step and leave nothing behind
    // before the cleaner they use goes away.
    m_waiting.clear();
    for (const Running &job : std::as_const(m_running))
        job.cancel->store(true);
    for (const Running &job : std::as_const(m_running)) {
        job.watcher->disconnect(this);
        job.watcher->waitForFinished();
    }
}

void CleaningQueue::enqueue(CleanRequest request, bool partOfRun)
{
    m_waiting.push_back({std::move(request), partOfRun});
    feedPool();
}

void CleaningQueue::cancel(const QUuid &id)
{
    if (auto running = m_running.find(id); running != m_running.end()) {
        running->cancel->store(true);
        return;
    }
    const auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                                      [&](const Waiting &job) { return job.request.id == id; });
    if (waiting == m_waiting.end())
        return;
    m_finished.append({id, std::nullopt, waiting->partOfRun});
    m_waiting.erase(waiting);
    flushSoon();
}

void CleaningQueue::stop()
{
    for (const Running &job : std::as_const(m_running))
        job.cancel->store(true);
    m_finished.reserve(m_finished.size() + qsizetype(m_waiting.size()));
    for (const Waiting &job : m_waiting)
        m_finished.append({job.request.id, std::nullopt, job.partOfRun});
    m_waiting.clear();
    // The rows that will never start say so now, however many they are.
    flush();
}

// Every job is accepted at once, but only a few per worker thread wait in the
// pool: a drop of thousands of files then costs the UI thread a queue append
// per file instead of a burst of thousands of tasks, memory stays flat, and
// a stop has only these few to wait for.
void CleaningQueue::feedPool()
{
    const int limit = 2 * std::max(1, m_pool.maxThreadCount());
    while (m_running.size() < limit && !m_waiting.empty()) {
        Waiting job = std::move(m_waiting.front());
        m_waiting.pop_front();
        const QUuid id = job.request.id;
        auto cancel = std::make_shared<std::atomic<bool>>(false);
        job.request.cancel = cancel.get();
        // A watcher, not QFuture::then(this, ...): with Qt 6.4 a continuation
        // attached just as the job finishes can run twice, and its second run
        // crashes the app. A watcher reports once, and never after the queue is gone.
        auto *watcher = new QFutureWatcher<CleanResult>(this);
        m_running.insert(id, {watcher, cancel, job.partOfRun});
        connect(watcher, &QFutureWatcherBase::finished, this, [this, id] { jobFinished(id); });
        watcher->setFuture(QtConcurrent::run(&m_pool, [this, &cleaner = m_cleaner, request = job.request, cancel] {
            if (!cancel->load()) {
                // Posted, not called: the queue lives on the UI thread. An
                // event for a queue already gone is dropped with it.
                QMetaObject::invokeMethod(this, [this, id = request.id] { jobStarted(id); }, Qt::QueuedConnection);
            }
            return cleaner.clean(request);
        }));
    }
}

void CleaningQueue::jobStarted(const QUuid &id)
{
    if (!m_running.contains(id))
        return;
    m_started.append(id);
    flushSoon();
}

void CleaningQueue::jobFinished(const QUuid &id)
{
    const Running job = m_running.take(id);
    CleanResult result = job.watcher->result();
    job.watcher->deleteLater();
    const bool givenUp = job.cancel->load() && !result.success();
    m_finished.append({id, givenUp ? std::nullopt : std::optional<CleanResult>(std::move(result)), job.partOfRun});
    feedPool(); // the pool first: its workers must not wait for the window
    // The last result of all is shown at once: nothing else is coming.
    if (isIdle())
        flush();
    else
        flushSoon();
}

// Reports go out at once when they come alone, and at most ten times a
// second when they come in a stream: every report redraws rows, the counter
// and the progress panel, and a run of thousands of photos would otherwise
// redraw the window for each. Ten a second still reads as live.
void CleaningQueue::flushSoon()
{
    if (!m_pace.isActive())
        flush();
}

void CleaningQueue::flush()
{
    if (m_started.isEmpty() && m_finished.isEmpty())
        return;
    const QList<QUuid> taken = std::exchange(m_started, {});
    const QList<Outcome> ended = std::exchange(m_finished, {});
    if (!taken.isEmpty())
        emit started(taken);
    if (!ended.isEmpty())
        emit finished(ended);
    m_pace.start();
}
