#pragma once

#include "SandboxGrant.h"

#include <Expected.h>

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>

// Runs the tool once with an argument list and waits for it, on the calling
// (worker) thread. On exit status 0 the result is the complete standard
// output; otherwise processError with the standard error text ("Unknown
// error" when it is not UTF-8), a LaunchError, or timeout once `limit` has
// passed (the run is then stopped). The tool reaches of the user's files only
// what `grant` names (see Sandbox); with grant.standardOutputTo its output
// lands in that file and the result is empty. Implementations are safe to
// call from several threads at once.
class ToolRunner
{
public:
    virtual ~ToolRunner() = default;

    virtual Expected<QByteArray> run(const QString &program, const QStringList &arguments,
                                     std::chrono::milliseconds limit, const SandboxGrant &grant = {}) = 0;

    // Gets ready to run `program` before anything asks, so that the first
    // runs do not wait for it to start. Returns at once; the future finishes
    // when the runner is ready or has given up, and runs work either way.
    virtual QFuture<void> prepare(const QString &program);
    // The same for the runs that read what `grant` names: one process for
    // them, where the runner keeps processes apart by what they may read.
    virtual QFuture<void> prepareFor(const QString &program, const SandboxGrant &grant);

    // Stops every run under way and refuses new ones: the app is quitting.
    // Runs stopped this way fail; nothing they were writing is committed.
    virtual void stopAll() { m_stopping = true; }
    bool stopping() const { return m_stopping; }
    // For runs of other tools that should end with this runner's.
    const std::atomic<bool> *stopFlag() const { return &m_stopping; }

private:
    std::atomic<bool> m_stopping = false;
};
