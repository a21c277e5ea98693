#pragma once

#include "ToolRunner.h"

#include <chrono>
#include <memory>

// Runs the tool through a few exiftool processes kept open with
// `-stay_open True -@ -`, sparing Perl's start-up on every run. Results are
// those of one process per run; where this path cannot promise that (a tool
// that does not answer the protocol, an argument the argument file cannot
// carry) the run goes to a OneShotRunner instead.
//
// Workers are started on demand (or ahead of it, by prepare()), at most
// `workersPerTool` per program, and replaced after a number of commands or
// once they grow too large. They end
// with the runner, and with the process should it die: each is told to stop
// (SIGINT, which lets exiftool delete its temporary file) when the thread that
// started it goes away, so that thread lives exactly as long as the runner.
class StayOpenRunner final : public ToolRunner
{
public:
    struct Options
    {
        int workersPerTool = 0; // 0: about one per core
        int commandsPerWorker = 1000;
        qint64 residentBytesPerWorker = qint64(512) << 20;
    };

    StayOpenRunner();
    explicit StayOpenRunner(Options options);
    ~StayOpenRunner() override;

    StayOpenRunner(const StayOpenRunner &) = delete;
    StayOpenRunner &operator=(const StayOpenRunner &) = delete;

    Expected<QByteArray> run(const QString &program, const QStringList &arguments,
                             std::chrono::milliseconds limit, const SandboxGrant &grant = {}) override;

    // Starts the program's workers, all of them at once, on the tool pool.
    QFuture<void> prepare(const QString &program) override;
    // Starts one worker for the runs with `grant`, unless they have one.
    QFuture<void> prepareFor(const QString &program, const SandboxGrant &grant) override;

    // How many runs each way took so far.
    struct Counts
    {
        qint64 persistent = 0;
        qint64 oneShot = 0;
    };
    Counts counts() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};
