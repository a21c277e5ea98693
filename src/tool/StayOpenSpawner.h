#pragma once

// How persistent exiftool workers are started: on one thread of their own,
// inside the sandbox their grant asks for.

#include "ChildProcess.h"
#include "Sandbox.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace StayOpen {

struct SpawnResult
{
    pid_t pid = -1;
    int input = -1, output = -1, error = -1;
};

// Starts exiftool with its standard input on a socket (so that writing to a
// worker that died fails with EPIPE instead of raising SIGPIPE) and its
// output on pipes. Runs on the runner's own thread: see the class comment.
inline SpawnResult spawnWorker(const QByteArray &program, const SandboxGrant &grant)
{
    const QStringList sandboxed = Sandbox::command(QFile::decodeName(program),
                                                   {QStringLiteral("-stay_open"), QStringLiteral("True"),
                                                    QStringLiteral("-@"), QStringLiteral("-")},
                                                   grant);
    // Closed in this process once the child has its own.
    struct Closer
    {
        const QStringList &command;
        ~Closer() { Sandbox::closeArgumentDescriptors(command); }
    } closer{sandboxed};
    const QList<int> handedList = Sandbox::handedDescriptors(sandboxed);
    const std::vector<int> handed(handedList.begin(), handedList.end());
    QList<QByteArray> command;
    for (const QString &argument : sandboxed)
        command.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : command)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // Built before the fork: the child may only make async-signal-safe calls.
    const QList<QByteArray> environment = ChildProcess::environmentBlock();
    std::vector<char *> envp;
    for (const QByteArray &entry : environment)
        envp.push_back(const_cast<char *>(entry.constData()));
    envp.push_back(nullptr);

    int input[2], output[2], error[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
        return {};
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]), ::close(input[1]);
        return {};
    }
    if (::pipe2(error, O_CLOEXEC) != 0) {
        ::close(input[0]), ::close(input[1]), ::close(output[0]), ::close(output[1]);
        return {};
    }
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const int fd : handed)
            ::fcntl(fd, F_SETFD, 0);
        ChildProcess::setUpChild();
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (::dup2(input[1], 0) < 0 || ::dup2(output[1], 1) < 0 || ::dup2(error[1], 2) < 0)
            ::_exit(127);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(input[1]);
    ::close(output[1]);
    ::close(error[1]);
    if (pid < 0) {
        ::close(input[0]), ::close(output[0]), ::close(error[0]);
        return {};
    }
    for (int fd : {input[0], output[0], error[0]})
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return {pid, input[0], output[0], error[0]};
}

// The thread every worker is started from. A child's parent-death signal
// fires when the thread that forked it ends, and pool threads come and go.
class Spawner
{
public:
    Spawner() : m_thread([this] { loop(); }) { }

    ~Spawner()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    SpawnResult spawn(const QByteArray &program, const SandboxGrant &grant)
    {
        std::packaged_task<SpawnResult()> task([&program, &grant] { return spawnWorker(program, grant); });
        auto result = task.get_future();
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_one();
        return result.get();
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::packaged_task<SpawnResult()>> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace StayOpen
