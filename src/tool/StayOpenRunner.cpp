#include "StayOpenRunner.h"

#include "ArgumentFile.h"
#include "CancelScope.h"
#include "OneShotRunner.h"
#include "StayOpenSink.h"
#include "StayOpenSpawner.h"
#include "StayOpenToolPool.h"
#include "StayOpenWorker.h"
#include "Sandbox.h"

#include <QPromise>
#include <QThread>
#include <QThreadPool>

#include <iterator>
#include <map>

using namespace StayOpen;
using Clock = StayOpenWorker::Clock;

class StayOpenRunner::Private
{
public:
    explicit Private(Options options) : options(options)
    {
        if (this->options.workersPerTool < 1)
            this->options.workersPerTool = std::clamp(QThread::idealThreadCount(), 2, 8);
        starters.setMaxThreadCount(this->options.workersPerTool);
    }

    Expected<QByteArray> run(const QString &program, const QStringList &arguments, std::chrono::milliseconds limit,
                             const SandboxGrant &grant);

    QFuture<void> prepare(const QString &program, const SandboxGrant &grant, int count);

    ~Private()
    {
        {
            std::unique_lock lock(preparingMutex);
            preparingDone.wait(lock, [this] { return preparing == 0; });
        }
        std::vector<std::unique_ptr<StayOpenWorker>> ending;
        for (auto &[program, pool] : pools) {
            std::lock_guard lock(pool->mutex);
            std::move(pool->idle.begin(), pool->idle.end(), std::back_inserter(ending));
            pool->idle.clear();
        }
        end(std::move(ending));
    }

    Expected<QByteArray> runOnce(const QString &program, const QStringList &arguments,
                                 std::chrono::milliseconds limit, const SandboxGrant &grant)
    {
        ++oneShotRuns;
        return oneShot.run(program, arguments, limit, grant);
    }

    Options options;
    std::atomic<qint64> persistentRuns = 0;
    std::atomic<qint64> oneShotRuns = 0;
    OneShotRunner oneShot;
    Spawner spawner;
    std::mutex poolsMutex;
    std::map<QByteArray, std::shared_ptr<ToolPool>> pools;
    quint64 uses = 0;
    std::mutex preparingMutex;
    std::condition_variable preparingDone;
    int preparing = 0; // prepare() tasks still to end
    QThreadPool starters; // where prepare() starts workers
    const std::atomic<bool> *stopping = nullptr;

private:
    // Sandboxed workers see one grant's files, so each grant has its own
    // workers; a few grants' are kept, the least recently used idle ones end.
    static constexpr std::size_t poolsKept = 4;

    std::shared_ptr<ToolPool> poolFor(const QByteArray &program, const SandboxGrant &grant)
    {
        QByteArray key = program;
        if (Sandbox::status().active())
            key += '\0' + grant.mountKey();
        std::vector<std::unique_ptr<StayOpenWorker>> ending;
        std::unique_lock lock(poolsMutex);
        auto &pool = pools[key];
        if (!pool)
            pool = std::make_shared<ToolPool>();
        pool->lastUsed = ++uses;
        const std::shared_ptr<ToolPool> found = pool;
        while (pools.size() > poolsKept && dropOldestIdle(found, ending)) { }
        lock.unlock();
        end(std::move(ending));
        return found;
    }

    // With poolsMutex held: forgets the least recently used pool other than
    // `keep` with no run under way, handing out its workers to be ended.
    bool dropOldestIdle(const std::shared_ptr<ToolPool> &keep, std::vector<std::unique_ptr<StayOpenWorker>> &ending)
    {
        std::shared_ptr<ToolPool> oldest;
        QByteArray oldestKey;
        for (const auto &[key, pool] : pools) {
            std::lock_guard lock(pool->mutex);
            if (pool != keep && pool->live == int(pool->idle.size()) && (!oldest || pool->lastUsed < oldest->lastUsed))
                oldest = pool, oldestKey = key;
        }
        if (!oldest)
            return false;
        std::lock_guard lock(oldest->mutex);
        std::move(oldest->idle.begin(), oldest->idle.end(), std::back_inserter(ending));
        oldest->live -= int(oldest->idle.size());
        oldest->idle.clear();
        pools.erase(oldestKey);
        return true;
    }

    static void end(std::vector<std::unique_ptr<StayOpenWorker>> workers)
    {
        for (auto &worker : workers)
            worker->askToFinish();
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        for (auto &worker : workers)
            worker->finishAsked(deadline);
    }

    // With the pool's lock held: a tool file that changed since the pool last
    // looked gets workers of its own; the old ones are handed out to be ended.
    static void follow(ToolPool &pool, const ToolFileVersion &version,
                       std::vector<std::unique_ptr<StayOpenWorker>> &outdated)
    {
        if (pool.version == version)
            return;
        pool.version = version;
        pool.speaksProtocol = true;
        ++pool.generation;
        pool.live -= int(pool.idle.size());
        outdated = std::move(pool.idle);
        pool.idle.clear();
    }

    // A worker that could not be started: its slot is free again, and a tool
    // that did not answer the protocol gets one-shot runs from now on.
    void notStarted(ToolPool &pool, quint64 generation, bool speaks)
    {
        {
            std::lock_guard lock(pool.mutex);
            --pool.live;
            if (!speaks && pool.generation == generation)
                pool.speaksProtocol = false;
        }
        pool.changed.notify_all();
    }

    void prepareOne(const QByteArray &path, const SandboxGrant &grant, int wanted);

    void giveBack(ToolPool &pool, std::unique_ptr<StayOpenWorker> worker)
    {
        const bool retire = !worker || worker->served() >= options.commandsPerWorker
                            || worker->residentBytes() > options.residentBytesPerWorker;
        if (retire && worker) {
            std::vector<std::unique_ptr<StayOpenWorker>> one;
            one.push_back(std::move(worker));
            end(std::move(one));
        }
        {
            std::lock_guard lock(pool.mutex);
            if (retire || worker->generation() != pool.generation) {
                --pool.live;
                worker.reset();
            } else {
                pool.idle.push_back(std::move(worker));
            }
        }
        pool.changed.notify_one();
    }

    std::unique_ptr<StayOpenWorker> start(const QByteArray &program, const SandboxGrant &grant, quint64 generation,
                                  Clock::time_point deadline, bool *speaks);
};

std::unique_ptr<StayOpenWorker> StayOpenRunner::Private::start(const QByteArray &program, const SandboxGrant &grant,
                                                       quint64 generation, Clock::time_point deadline, bool *speaks)
{
    *speaks = true;
    const SpawnResult spawned = spawner.spawn(program, grant);
    if (spawned.pid < 0)
        return nullptr;
    auto worker = std::make_unique<StayOpenWorker>(spawned.pid, spawned.input, spawned.output, spawned.error, generation);
    const StayOpenWorker::Exchange probe = worker->exchange("-ver\n", deadline);
    if (probe.ending == StayOpenWorker::Ending::answered && probe.status == 0 && !probe.output.isEmpty())
        return worker;
    // Too slow to start within the command's own limit says nothing about
    // the protocol; anything else does.
    *speaks = probe.ending == StayOpenWorker::Ending::timedOut;
    return nullptr;
}

Expected<QByteArray> StayOpenRunner::Private::run(const QString &program, const QStringList &arguments,
                                                  std::chrono::milliseconds limit, const SandboxGrant &grant)
{
    // No arguments at all has exiftool print its manual; a relative program
    // name is looked up in PATH by a one-shot run, not by execve.
    if (stopping->load() || CancelScope::cancelled())
        return CleanError(CleanError::Kind::quitting);
    const auto lines = arguments.isEmpty() ? std::nullopt : ArgumentFile::encode(arguments);
    if (!lines || !program.startsWith(u'/'))
        return runOnce(program, arguments, limit, grant);

    const QByteArray path = QFile::encodeName(program);
    const auto version = versionOf(path);
    if (!version)
        return runOnce(program, arguments, limit, grant);

    limit = ChildProcess::clampedLimit(limit);
    const auto deadline = Clock::now() + limit;
    const auto pool = poolFor(path, grant);

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<StayOpenWorker> worker;
        quint64 generation = 0;
        std::vector<std::unique_ptr<StayOpenWorker>> outdated;
        {
            std::unique_lock lock(pool->mutex);
            follow(*pool, *version, outdated);
            pool->changed.wait(lock, [&] {
                return !pool->speaksProtocol || !pool->idle.empty() || pool->live < options.workersPerTool;
            });
            if (!pool->speaksProtocol) {
                lock.unlock();
                end(std::move(outdated));
                return runOnce(program, arguments, limit, grant);
            }
            generation = pool->generation;
            if (!pool->idle.empty()) {
                worker = std::move(pool->idle.back());
                pool->idle.pop_back();
            } else {
                ++pool->live;
            }
        }
        end(std::move(outdated));

        if (worker && !worker->fitForUse(generation)) {
            std::vector<std::unique_ptr<StayOpenWorker>> one;
            one.push_back(std::move(worker));
            end(std::move(one));
        }
        if (!worker) {
            bool speaks = true;
            worker = start(path, grant, generation, deadline, &speaks);
            if (!worker) {
                notStarted(*pool, generation, speaks);
                if (speaks && Clock::now() >= deadline) {
                    ++persistentRuns;
                    return ExifToolError::timeout();
                }
                return runOnce(program, arguments, limit, grant);
            }
        }

        // Given up while it waited for a worker: the worker stays fit for the next.
        if (CancelScope::cancelled()) {
            giveBack(*pool, std::move(worker));
            return CleanError(CleanError::Kind::quitting);
        }
        // Made only now: a run that goes to a one-shot tool instead makes its own.
        const Sink sink(grant.standardOutputTo);
        if (!sink.ready()) {
            giveBack(*pool, std::move(worker));
            return ExifToolError::processError(sink.failure());
        }
        StayOpenWorker::Exchange answer = worker->exchange(*lines, deadline, stopping, sink.fd());
        if (answer.ending != StayOpenWorker::Ending::notSent)
            ++persistentRuns;
        // Stopped mid-command, or gone: killed and waited for before the
        // caller looks for what it left.
        if (answer.ending != StayOpenWorker::Ending::answered && answer.ending != StayOpenWorker::Ending::died) {
            worker->kill();
            giveBack(*pool, nullptr);
        }
        switch (answer.ending) {
        case StayOpenWorker::Ending::answered: {
            worker->noteServed();
            giveBack(*pool, std::move(worker));
            if (answer.status == 0)
                return std::move(answer.output);
            return endedRunResult(false, answer.status, std::move(answer.output), answer.error);
        }
        case StayOpenWorker::Ending::cancelled:
            return CleanError(CleanError::Kind::quitting);
        case StayOpenWorker::Ending::timedOut:
            return ExifToolError::timeout();
        case StayOpenWorker::Ending::died: {
            const auto ended = worker->reap(deadline);
            giveBack(*pool, nullptr);
            if (!ended)
                return ExifToolError::timeout();
            return endedRunResult(ended->crashed, ended->exitCode, std::move(answer.output), answer.error);
        }
        case StayOpenWorker::Ending::sinkFailed:
            return ExifToolError::processError(toolErrorText(answer.error));
        case StayOpenWorker::Ending::notSent:
            // It was gone before it read a word of this command: try a fresh one.
            sink.remove();
            break;
        }
    }
    return runOnce(program, arguments, limit, grant);
}

// One more worker for the program's runs with `grant`, unless they have the number wanted.
void StayOpenRunner::Private::prepareOne(const QByteArray &path, const SandboxGrant &grant, int wanted)
{
    const auto version = versionOf(path);
    if (!version)
        return;
    const auto pool = poolFor(path, grant);
    std::vector<std::unique_ptr<StayOpenWorker>> outdated;
    quint64 generation = 0;
    bool starting = false;
    {
        std::lock_guard lock(pool->mutex);
        follow(*pool, *version, outdated);
        starting = pool->speaksProtocol && pool->live < wanted;
        if (starting) {
            ++pool->live;
            generation = pool->generation;
        }
    }
    end(std::move(outdated));
    if (!starting)
        return;
    // Perl and exiftool's modules load in well under a second; a machine that
    // takes this long is better served by starting workers as runs need them.
    bool speaks = true;
    auto worker = start(path, grant, generation, Clock::now() + std::chrono::seconds(30), &speaks);
    if (worker)
        giveBack(*pool, std::move(worker));
    else
        notStarted(*pool, generation, speaks);
}

QFuture<void> StayOpenRunner::Private::prepare(const QString &program, const SandboxGrant &grant, int count)
{
    if (!program.startsWith(u'/') || stopping->load())
        return QtFuture::makeReadyFuture();
    const QByteArray path = QFile::encodeName(program);
    auto promise = std::make_shared<QPromise<void>>();
    auto left = std::make_shared<std::atomic<int>>(count);
    promise->start();
    {
        std::lock_guard lock(preparingMutex);
        preparing += count;
    }
    for (int i = 0; i < count; ++i) {
        starters.start([this, path, grant, promise, left, count] {
            prepareOne(path, grant, count);
            if (--*left == 0)
                promise->finish();
            std::lock_guard lock(preparingMutex);
            if (--preparing == 0)
                preparingDone.notify_all();
        });
    }
    return promise->future();
}

StayOpenRunner::StayOpenRunner() : StayOpenRunner(Options{}) { }

StayOpenRunner::StayOpenRunner(Options options) : d(std::make_unique<Private>(options))
{
    d->stopping = stopFlag();
}

StayOpenRunner::~StayOpenRunner() = default;

Expected<QByteArray> StayOpenRunner::run(const QString &program, const QStringList &arguments,
                                         std::chrono::milliseconds limit, const SandboxGrant &grant)
{
    return d->run(program, arguments, limit, grant);
}

QFuture<void> StayOpenRunner::prepare(const QString &program)
{
    // Sandboxed, these workers see no file of the person's and serve runs
    // without a grant; each folder's runs start workers of their own. One is
    // enough to have the tool's code read from disk and the first folder's
    // workers start warm.
    return d->prepare(program, {}, Sandbox::status().active() ? 1 : d->options.workersPerTool);
}

QFuture<void> StayOpenRunner::prepareFor(const QString &program, const SandboxGrant &grant)
{
    return d->prepare(program, grant, 1);
}

StayOpenRunner::Counts StayOpenRunner::counts() const
{
    return {d->persistentRuns.load(), d->oneShotRuns.load()};
}
