#include "BenchChildren.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace BenchChildren {

namespace {

// What this process started and has not reaped, and its folder of copies.
std::atomic<pid_t> running[16];
char workFolder[4096];

void stopOnSignalsImpl()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, [](int received) {
            pid_t stopped[std::size(running)] = {};
            for (std::size_t i = 0; i < std::size(running); ++i)
                if ((stopped[i] = running[i].exchange(0)) > 0)
                    ::kill(stopped[i], SIGTERM);
            for (const pid_t child : stopped) // the app removes its staged copies as it goes
                if (child > 0)
                    ::waitpid(child, nullptr, 0);
            if (workFolder[0] != '\0') {
                if (const pid_t remover = ::fork(); remover == 0) {
                    ::execl("/bin/rm", "rm", "-rf", "--", workFolder, static_cast<char *>(nullptr));
                    ::_exit(127);
                } else if (remover > 0) {
                    ::waitpid(remover, nullptr, 0);
                }
            }
            ::_exit(128 + received);
        });
    }
}

} // namespace

void stopOnSignals(const QString &folder)
{
    qstrncpy(workFolder, QFile::encodeName(folder).constData(), sizeof workFolder);
    stopOnSignalsImpl();
}

pid_t spawn(const QStringList &arguments, const QStringList &environment, const QString &log)
{
    QList<QByteArray> argStore, envStore;
    std::vector<char *> argv, envp;
    for (const QString &argument : arguments)
        argStore.append(QFile::encodeName(argument));
    for (const QString &entry : environment)
        envStore.append(entry.toLocal8Bit());
    for (QByteArray &argument : argStore)
        argv.push_back(argument.data());
    for (QByteArray &entry : envStore)
        envp.push_back(entry.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray logPath = QFile::encodeName(log);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        qFatal("cannot start %s: %s", argv[0], std::strerror(error));
    for (auto &slot : running) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid))
            break;
    }
    return pid;
}

QStringList currentEnvironment()
{
    QStringList environment;
    for (char **entry = environ; *entry; ++entry)
        environment.append(QString::fromLocal8Bit(*entry));
    return environment;
}

QStringList withVariables(QStringList environment, const QList<std::pair<QString, QString>> &set,
                          const QStringList &unset)
{
    environment.removeIf([&](const QString &entry) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        return unset.contains(name) || std::any_of(set.begin(), set.end(), [&](const auto &pair) { return pair.first == name; });
    });
    for (const auto &[name, value] : set)
        environment.append(name + QLatin1Char('=') + value);
    return environment;
}

std::pair<int, rusage> reap(pid_t pid)
{
    int status = 0;
    rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    for (auto &slot : running) {
        pid_t reaped = pid;
        slot.compare_exchange_strong(reaped, 0);
    }
    return {status, usage};
}

bool exited(pid_t pid)
{
    siginfo_t info {};
    return ::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

} // namespace BenchChildren
