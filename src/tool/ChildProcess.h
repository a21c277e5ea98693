#pragma once

#include "SandboxGrant.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <optional>

// How every child tool is started, whichever runner starts it:
// - in a locale every machine has (C.UTF-8): a bundled tool that aborts on a
//   LANG naming a locale this machine never generated would fail every file;
// - with umask 077, so that whatever it writes (a staged copy) is private;
// - at nice 5, below the window's own threads;
// - in a process group of its own, which a stop kills whole;
// - told to stop (SIGINT, which lets exiftool remove its own temporary file)
//   when the thread that started it ends;
// - handed the descriptors its command names (Sandbox::handedDescriptors:
//   how a file whose path is not UTF-8 reaches it), and no others;
// - with an address-space limit where one is given, so that a hostile file
//   that makes a tool balloon costs that run, not the machine.
namespace ChildProcess {

QProcessEnvironment environment();
// The same, as the "NAME=value" list execve() takes.
QList<QByteArray> environmentBlock();

// Runs in the child between fork and exec: async-signal-safe calls only.
void setUpChild(qint64 memoryLimitBytes = 0) noexcept;

// A run's deadline, clamped to what the waits below can take.
std::chrono::milliseconds clampedLimit(std::chrono::milliseconds limit);

struct Outcome
{
    enum class Ending { exited, crashed, timedOut, cancelled, notStarted };
    Ending ending = Ending::notStarted;
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
    QString launchError; // the system's words when it did not start
};

// Starts `program`, gives it no input, and blocks this (worker) thread until it
// ends, `limit` passes or `*cancel` turns true; a run that is stopped is
// killed and waited for before this returns. It runs in the sandbox with
// `grant` (see Sandbox); with grant.standardOutputTo, its standard output
// goes to that new file and the outcome holds none.
Outcome run(const QString &program, const QStringList &arguments, std::chrono::milliseconds limit,
            qint64 memoryLimitBytes = 0, const std::atomic<bool> *cancel = nullptr,
            const SandboxGrant &grant = {});

} // namespace ChildProcess
