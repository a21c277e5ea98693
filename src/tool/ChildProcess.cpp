#include "ChildProcess.h"

#include "CancelScope.h"

#include "Sandbox.h"

#include <LocalName.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>

#include <algorithm>
#include <vector>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ChildProcess {

QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : env.keys()) {
        if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") || name.startsWith(QLatin1String("LC_")))
            env.remove(name);
    }
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

QList<QByteArray> environmentBlock()
{
    QList<QByteArray> block;
    const QProcessEnvironment env = environment();
    for (const QString &name : env.keys())
        block.append(QFile::encodeName(name) + '=' + QFile::encodeName(env.value(name)));
    return block;
}

void setUpChild(qint64 memoryLimitBytes) noexcept
{
    ::prctl(PR_SET_PDEATHSIG, SIGINT);
    // A group of its own, so that a stop reaches what bwrap has forked before
    // it is far enough along to die with its parent.
    ::setpgid(0, 0);
    ::setpriority(PRIO_PROCESS, 0, 5);
    ::umask(077);
    if (memoryLimitBytes > 0) {
        const rlimit limit{rlim_t(memoryLimitBytes), rlim_t(memoryLimitBytes)};
        ::setrlimit(RLIMIT_AS, &limit);
    }
}

std::chrono::milliseconds clampedLimit(std::chrono::milliseconds limit)
{
    return std::clamp(limit, std::chrono::milliseconds(0), std::chrono::milliseconds(INT_MAX));
}

Outcome run(const QString &program, const QStringList &arguments, std::chrono::milliseconds limit,
            qint64 memoryLimitBytes, const std::atomic<bool> *cancel, const SandboxGrant &grant)
{
    Outcome outcome;
    QProcess process;
    // bwrap would start where the tool cannot: that is the tool's launch error.
    if (Sandbox::status().active() && !QFileInfo(program).isExecutable()) {
        outcome.launchError = QStringLiteral("%1 cannot be executed").arg(program);
        return outcome;
    }
    const QStringList command = Sandbox::command(program, arguments, grant);
    auto closeArguments = qScopeGuard([&command] { Sandbox::closeArgumentDescriptors(command); });
    process.setProgram(command.first());
    process.setArguments(command.mid(1));
    if (!grant.standardOutputTo.isEmpty()) {
        // Made here, never over an existing file: the tool only gets to fill it.
        QFile output(grant.standardOutputTo);
        if (!output.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            outcome.launchError = output.errorString();
            return outcome;
        }
        output.close();
        process.setStandardOutputFile(grant.standardOutputTo, QIODevice::Truncate);
    }
    process.setProcessEnvironment(environment());
    // A file whose path is not text is named through a descriptor of ours
    // ("/proc/self/fd/N"): the child gets that descriptor, under its number.
    const QList<int> handedList = Sandbox::handedDescriptors(command);
    const std::vector<int> handed(handedList.begin(), handedList.end());
    process.setChildProcessModifier([memoryLimitBytes, handed] {
        for (const int fd : handed)
            ::fcntl(fd, F_SETFD, 0);
        setUpChild(memoryLimitBytes);
    });
    process.start(QIODevice::ReadWrite);
    const bool started = process.waitForStarted(-1);
    closeArguments.dismiss();
    Sandbox::closeArgumentDescriptors(command);
    if (!started) {
        outcome.launchError = process.errorString();
        return outcome;
    }
    // An immediate end of file, never a wait on a terminal.
    process.closeWriteChannel();

    // Short slices so that a quit is heard within a tenth of a second; the
    // waits keep reading both pipes, so a large output never stalls the tool.
    const QDeadlineTimer deadline(clampedLimit(limit));
    bool finished = false;
    while (!finished) {
        if ((cancel && cancel->load()) || CancelScope::cancelled()) {
            outcome.ending = Outcome::Ending::cancelled;
            break;
        }
        if (deadline.hasExpired()) {
            outcome.ending = Outcome::Ending::timedOut;
            break;
        }
        const int slice = int(std::min<qint64>(100, std::max<qint64>(1, deadline.remainingTime())));
        finished = process.waitForFinished(slice) || process.state() == QProcess::NotRunning;
    }
    if (!finished) {
        if (const qint64 pid = process.processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
        process.kill();
        process.waitForFinished(-1);
        return outcome;
    }
    const bool crashed = process.exitStatus() == QProcess::CrashExit || Sandbox::endedBySignal(process.exitCode());
    outcome.ending = crashed ? Outcome::Ending::crashed : Outcome::Ending::exited;
    outcome.exitCode = process.exitCode();
    outcome.standardOutput = process.readAllStandardOutput();
    outcome.standardError = process.readAllStandardError();
    return outcome;
}

} // namespace ChildProcess
