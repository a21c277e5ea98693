#include "StayOpenRunner.h"

#include "ChildProcess.h"
#include "OneShotRunner.h"

#include <QFile>
#include <QPromise>
#include <QRandomGenerator>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>


using Clock = std::chrono::steady_clock;

namespace {

bool isOptionDash(const QByteArray &bytes, qsizetype at, qsizetype *length)
{
    if (bytes.mid(at, 1) == "-") {
        *length = 1;
        return true;
    }
    // exiftool also takes U+2212 (a minus sign pasted from its manual) as a dash.
    if (bytes.mid(at, 3) == "\xe2\x88\x92") {
        *length = 3;
        return true;
    }
    return false;
}

// Options that would read the worker's standard input (which carries the
// commands), stay in force for later commands, or steer the argument file
// itself. Lower case, without the dash.
bool touchesTheProtocol(const QByteArray &name)
{
    static const QList<QByteArray> names{"stay_open", "@", "common_args", "config", "use", "k", "pause"};
    if (names.contains(name) || name.startsWith("delete_original"))
        return true;
    if (!name.startsWith("execute"))
        return false;
    for (char c : name.mid(7)) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// One argument as a line of the argument file, or nothing when the file
// cannot carry it so that exiftool sees exactly these bytes.
//
// exiftool strips a plain line's leading white space and trailing line break,
// drops lines starting with "#", and squeezes white space around the "=" of
// "-TAG = VALUE". A "#[CSTR]" line escapes its way past all of that, but
// turns "$" and "@" into "\$" and "\@".
std::optional<QByteArray> argumentLine(const QByteArray &argument, bool last)
{
    // An empty line is skipped, and an empty argument, "-" or "-csv=-" read
    // standard input, which carries the commands here.
    if (argument.isEmpty() || argument.contains('\0') || argument.endsWith("=-"))
        return std::nullopt;

    qsizetype dash = 0;
    if (isOptionDash(argument, 0, &dash)) {
        const QByteArray name = argument.mid(dash).toLower();
        qsizetype second = 0;
        // "--" ends the options: the closing -execute would be read as a file.
        if (name.isEmpty() || (isOptionDash(name, 0, &second) && second == name.size()))
            return std::nullopt;
        if (touchesTheProtocol(name))
            return std::nullopt;
        // An option left without its value would take the closing -execute.
        if (last)
            return std::nullopt;
    }

    // Perl's \s on bytes.
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    const bool plain = !argument.contains('\n') && !argument.contains('\r') && argument.front() != '#'
                       && !isSpace(argument.front())
                       && !(dash > 0 && std::any_of(argument.begin(), argument.end(), isSpace));
    if (plain)
        return argument + '\n';

    if (argument.contains('$') || argument.contains('@'))
        return std::nullopt;
    QByteArray line = "#[CSTR]";
    line.reserve(line.size() + argument.size() + 8);
    for (char c : argument) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    return line + '\n';
}

std::optional<QByteArray> argumentLines(const QStringList &arguments)
{
    QByteArray lines;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const auto line = argumentLine(QFile::encodeName(arguments[i]), i + 1 == arguments.size());
        if (!line)
            return std::nullopt;
        lines += *line;
    }
    return lines;
}

// What a change of the tool's file shows in: a new file, or one rewritten.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    mode_t mode = 0;
    qint64 modified = 0;
    qint64 changed = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

std::optional<FileIdentity> identityOf(const QByteArray &path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mode,
                        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                        qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

QByteArray currentDirectory()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? QByteArray(buffer) : QByteArray();
}

void closeQuietly(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

qint64 residentBytes(pid_t pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// One persistent exiftool. Used by one thread at a time.
class Worker
{
public:
    enum class Ending { answered, timedOut, died, notSent, cancelled };
    struct Exchange
    {
        Ending ending;
        int status = 0;
        QByteArray output;
        QByteArray error;
    };

    Worker(pid_t pid, int input, int output, int error, quint64 generation)
        : m_pid(pid), m_input(input), m_output(output), m_error(error), m_generation(generation),
          m_directory(currentDirectory())
    {
        const quint64 token = QRandomGenerator::global()->generate64();
        const QByteArray mark = "<<tessaly:" + QByteArray::number(token, 16) + ':';
        m_statusMark = mark;
        m_errorMark = mark + "end>>\n";
    }

    ~Worker() { kill(); }

    pid_t pid() const { return m_pid; }
    quint64 generation() const { return m_generation; }
    // Commands answered, the start-up probe not counted.
    int served() const { return m_served; }
    void noteServed() { ++m_served; }

    // Idle and still fit for the current process state: alive, silent, and
    // started in the folder relative paths would now be taken from.
    bool fitForUse(quint64 generation) const
    {
        if (generation != m_generation || m_directory != currentDirectory())
            return false;
        pollfd fds[2] = {{m_output, POLLIN, 0}, {m_error, POLLIN, 0}};
        return ::poll(fds, 2, 0) == 0;
    }

    // Sends one command and reads its answer: standard output up to the
    // `{readyN}` line, standard error up to the end mark.
    Exchange exchange(const QByteArray &arguments, Clock::time_point deadline,
                      const std::atomic<bool> *cancel = nullptr)
    {
        const int id = ++m_lastId;
        const QByteArray ready = "{ready" + QByteArray::number(id) + "}\n";
        // The marks go first: an option at the end wanting a value would
        // swallow them, and a command exiftool rejects still echoes them.
        const QByteArray command = "-echo3\n" + m_statusMark + "${status}>>\n-echo4\n"
                                   + m_errorMark.chopped(1) + '\n' + arguments + "-execute"
                                   + QByteArray::number(id) + '\n';
        Exchange result{Ending::answered, 0, {}, {}};
        qsizetype written = 0;
        qsizetype outputEnd = -1;
        bool outputOpen = true, errorOpen = true, errorDone = false;

        while (outputEnd < 0 || !errorDone) {
            pollfd fds[3];
            nfds_t count = 0;
            const bool writing = written < command.size() && m_input >= 0;
            if (outputOpen)
                fds[count++] = {m_output, POLLIN, 0};
            if (errorOpen)
                fds[count++] = {m_error, POLLIN, 0};
            if (writing)
                fds[count++] = {m_input, POLLOUT, 0};
            if (!outputOpen && !errorOpen) {
                result.ending = written == 0 ? Ending::notSent : Ending::died;
                return result;
            }
            if (cancel && cancel->load()) {
                result.ending = Ending::cancelled;
                return result;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                result.ending = Ending::timedOut;
                return result;
            }
            // Slices of a tenth of a second, so that a quit is heard at once.
            const int ready_ = ::poll(fds, count, int(std::min<qint64>(left, 100)));
            if (ready_ < 0 && errno != EINTR) {
                result.ending = Ending::died;
                return result;
            }
            if (ready_ <= 0)
                continue;

            if (writing) {
                const ssize_t sent = ::send(m_input, command.constData() + written, command.size() - written,
                                            MSG_NOSIGNAL | MSG_DONTWAIT);
                if (sent > 0)
                    written += sent;
                else if (sent < 0 && errno != EAGAIN && errno != EINTR)
                    closeQuietly(m_input); // gone: its pipes will say so
            }
            if (outputOpen && !drain(m_output, result.output))
                outputOpen = false;
            if (errorOpen && !drain(m_error, result.error))
                errorOpen = false;

            if (outputEnd < 0 && result.output.endsWith(ready))
                outputEnd = statusEnd(result.output, result.output.size() - ready.size(), &result.status);
            if (!errorDone && result.error.endsWith(m_errorMark))
                errorDone = true;
            if (!outputOpen && !errorOpen && (outputEnd < 0 || !errorDone)) {
                result.ending = written == 0 ? Ending::notSent : Ending::died;
                return result;
            }
        }
        result.output.truncate(outputEnd);
        result.error.chop(m_errorMark.size());
        return result;
    }

    struct Ended
    {
        bool crashed;
        int exitCode;
    };

    // How a worker whose pipes closed ended. One that lingers on past the
    // deadline is killed, and gives nothing.
    std::optional<Ended> reap(Clock::time_point deadline)
    {
        const int process = int(::syscall(SYS_pidfd_open, m_pid, 0));
        bool lingered = false;
        if (process >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd fd{process, POLLIN, 0};
            lingered = left <= 0 || ::poll(&fd, 1, int(std::min<qint64>(left, std::numeric_limits<int>::max()))) == 0;
            ::close(process);
        }
        if (lingered) {
            kill();
            return std::nullopt;
        }
        return reap();
    }

    // Stops a worker at once, mid-command or not, and waits for it to end.
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            reap();
        }
        closeAll();
    }

    // Asks an idle worker to finish (it exits at the end of its argument
    // file); does not wait. finishAsked() then waits, briefly.
    void askToFinish()
    {
        if (m_input >= 0) {
            ::send(m_input, "-stay_open\nFalse\n", 17, MSG_NOSIGNAL | MSG_DONTWAIT);
            closeQuietly(m_input);
        }
    }

    void finishAsked(Clock::time_point deadline)
    {
        QByteArray ignored;
        while (m_pid > 0 && m_output >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd fd{m_output, POLLIN, 0};
            if (::poll(&fd, 1, int(left)) > 0 && !drain(m_output, ignored))
                break;
        }
        kill();
    }

private:
    Ended reap()
    {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        m_pid = -1;
        closeAll();
        if (WIFSIGNALED(status))
            return {true, 0};
        return {false, WEXITSTATUS(status)};
    }

    // Reads what is there; false once the pipe has closed.
    static bool drain(int fd, QByteArray &into)
    {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                into.append(buffer, got);
                continue;
            }
            if (got == 0)
                return false;
            return errno == EAGAIN || errno == EINTR;
        }
    }

    // Where the command's own output ends, given where `{readyN}` starts:
    // before "<mark>STATUS>>\n". -1 when the mark is not there.
    qsizetype statusEnd(const QByteArray &output, qsizetype readyAt, int *status) const
    {
        if (readyAt < 3 || output.mid(readyAt - 3, 3) != ">>\n")
            return -1;
        qsizetype digits = readyAt - 3;
        while (digits > 0 && output[digits - 1] >= '0' && output[digits - 1] <= '9')
            --digits;
        if (digits == readyAt - 3 || digits < m_statusMark.size()
            || output.mid(digits - m_statusMark.size(), m_statusMark.size()) != m_statusMark)
            return -1;
        bool ok = false;
        *status = output.mid(digits, readyAt - 3 - digits).toInt(&ok);
        return ok ? digits - m_statusMark.size() : -1;
    }

    void closeAll()
    {
        closeQuietly(m_input);
        closeQuietly(m_output);
        closeQuietly(m_error);
    }

    pid_t m_pid;
    int m_input;
    int m_output;
    int m_error;
    quint64 m_generation;
    QByteArray m_directory;
    QByteArray m_statusMark;
    QByteArray m_errorMark;
    int m_lastId = 0;
    int m_served = 0;
};

struct SpawnResult
{
    pid_t pid = -1;
    int input = -1, output = -1, error = -1;
};

// Starts exiftool with its standard input on a socket (so that writing to a
// worker that died fails with EPIPE instead of raising SIGPIPE) and its
// output on pipes. Runs on the runner's own thread: see the class comment.
SpawnResult spawnWorker(const QByteArray &program)
{
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
    const char *argv[] = {program.constData(), "-stay_open", "True", "-@", "-", nullptr};
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ChildProcess::setUpChild();
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (::dup2(input[1], 0) < 0 || ::dup2(output[1], 1) < 0 || ::dup2(error[1], 2) < 0)
            ::_exit(127);
        ::execve(argv[0], const_cast<char **>(argv), envp.data());
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

    SpawnResult spawn(const QByteArray &program)
    {
        std::packaged_task<SpawnResult()> task([&program] { return spawnWorker(program); });
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

// The workers of one program.
struct ToolPool
{
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<FileIdentity> identity;
    bool speaksProtocol = true;
    quint64 generation = 0;
    int live = 0; // idle, busy and starting
    std::vector<std::unique_ptr<Worker>> idle;
};

} // namespace

class StayOpenRunner::Private
{
public:
    explicit Private(Options options) : options(options)
    {
        if (this->options.workersPerTool < 1)
            this->options.workersPerTool = std::clamp(QThread::idealThreadCount(), 2, 8);
        starters.setMaxThreadCount(this->options.workersPerTool);
    }

    Expected<QByteArray> run(const QString &program, const QStringList &arguments, std::chrono::milliseconds limit);

    QFuture<void> prepare(const QString &program);

    ~Private()
    {
        {
            std::unique_lock lock(preparingMutex);
            preparingDone.wait(lock, [this] { return preparing == 0; });
        }
        std::vector<std::unique_ptr<Worker>> ending;
        for (auto &[program, pool] : pools) {
            std::lock_guard lock(pool->mutex);
            for (auto &worker : pool->idle)
                ending.push_back(std::move(worker));
            pool->idle.clear();
        }
        end(std::move(ending));
    }

    Expected<QByteArray> runOnce(const QString &program, const QStringList &arguments,
                                 std::chrono::milliseconds limit)
    {
        ++oneShotRuns;
        return oneShot.run(program, arguments, limit);
    }

    Options options;
    std::atomic<qint64> persistentRuns = 0;
    std::atomic<qint64> oneShotRuns = 0;
    OneShotRunner oneShot;
    Spawner spawner;
    std::mutex poolsMutex;
    std::map<QByteArray, std::shared_ptr<ToolPool>> pools;
    std::mutex preparingMutex;
    std::condition_variable preparingDone;
    int preparing = 0; // prepare() tasks still to end
    QThreadPool starters; // where prepare() starts workers
    const std::atomic<bool> *stopping = nullptr;

private:
    std::shared_ptr<ToolPool> poolFor(const QByteArray &program)
    {
        std::lock_guard lock(poolsMutex);
        auto &pool = pools[program];
        if (!pool)
            pool = std::make_shared<ToolPool>();
        return pool;
    }

    static void end(std::vector<std::unique_ptr<Worker>> workers)
    {
        for (auto &worker : workers)
            worker->askToFinish();
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        for (auto &worker : workers)
            worker->finishAsked(deadline);
    }

    // With the pool's lock held: a tool file that changed since the pool last
    // looked gets workers of its own; the old ones are handed out to be ended.
    static void follow(ToolPool &pool, const FileIdentity &identity, const QByteArray &path,
                       std::vector<std::unique_ptr<Worker>> &outdated)
    {
        if (pool.identity == identity)
            return;
        pool.identity = identity;
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

    void prepareOne(const QByteArray &path);

    void giveBack(ToolPool &pool, std::unique_ptr<Worker> worker)
    {
        const bool retire = !worker || worker->served() >= options.commandsPerWorker
                            || residentBytes(worker->pid()) > options.residentBytesPerWorker;
        if (retire && worker) {
            std::vector<std::unique_ptr<Worker>> one;
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

    std::unique_ptr<Worker> start(const QByteArray &program, quint64 generation, Clock::time_point deadline,
                                  bool *speaks);
};

std::unique_ptr<Worker> StayOpenRunner::Private::start(const QByteArray &program, quint64 generation,
                                                       Clock::time_point deadline, bool *speaks)
{
    *speaks = true;
    const SpawnResult spawned = spawner.spawn(program);
    if (spawned.pid < 0)
        return nullptr;
    auto worker = std::make_unique<Worker>(spawned.pid, spawned.input, spawned.output, spawned.error, generation);
    const Worker::Exchange probe = worker->exchange("-ver\n", deadline);
    if (probe.ending == Worker::Ending::answered && probe.status == 0 && !probe.output.isEmpty())
        return worker;
    // Too slow to start within the command's own limit says nothing about
    // the protocol; anything else does.
    *speaks = probe.ending == Worker::Ending::timedOut;
    return nullptr;
}

Expected<QByteArray> StayOpenRunner::Private::run(const QString &program, const QStringList &arguments,
                                                  std::chrono::milliseconds limit)
{
    // No arguments at all has exiftool print its manual; a relative program
    // name is looked up in PATH by a one-shot run, not by execve.
    if (stopping->load())
        return CleanError(CleanError::Kind::quitting);
    const auto lines = arguments.isEmpty() ? std::nullopt : argumentLines(arguments);
    if (!lines || !program.startsWith(u'/'))
        return runOnce(program, arguments, limit);

    const QByteArray path = QFile::encodeName(program);
    const auto identity = identityOf(path);
    if (!identity)
        return runOnce(program, arguments, limit);

    // Bounded like OneShotRunner's wait, which takes an int of milliseconds.
    limit = std::clamp(limit, std::chrono::milliseconds(0), std::chrono::milliseconds(std::numeric_limits<int>::max()));
    const auto deadline = Clock::now() + limit;
    const auto pool = poolFor(path);

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<Worker> worker;
        quint64 generation = 0;
        std::vector<std::unique_ptr<Worker>> outdated;
        {
            std::unique_lock lock(pool->mutex);
            follow(*pool, *identity, path, outdated);
            pool->changed.wait(lock, [&] {
                return !pool->speaksProtocol || !pool->idle.empty() || pool->live < options.workersPerTool;
            });
            if (!pool->speaksProtocol) {
                lock.unlock();
                end(std::move(outdated));
                return runOnce(program, arguments, limit);
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
            std::vector<std::unique_ptr<Worker>> one;
            one.push_back(std::move(worker));
            end(std::move(one));
        }
        if (!worker) {
            bool speaks = true;
            worker = start(path, generation, deadline, &speaks);
            if (!worker) {
                notStarted(*pool, generation, speaks);
                if (speaks && Clock::now() >= deadline) {
                    ++persistentRuns;
                    return ExifToolError::timeout();
                }
                return runOnce(program, arguments, limit);
            }
        }

        Worker::Exchange answer = worker->exchange(*lines, deadline, stopping);
        if (answer.ending != Worker::Ending::notSent)
            ++persistentRuns;
        switch (answer.ending) {
        case Worker::Ending::answered: {
            worker->noteServed();
            giveBack(*pool, std::move(worker));
            if (answer.status == 0)
                return std::move(answer.output);
            return endedRunResult(false, answer.status, std::move(answer.output), answer.error);
        }
        case Worker::Ending::cancelled:
            worker->kill();
            giveBack(*pool, nullptr);
            return CleanError(CleanError::Kind::quitting);
        case Worker::Ending::timedOut:
            // Killed and waited for before the caller looks for what it left.
            worker->kill();
            giveBack(*pool, nullptr);
            return ExifToolError::timeout();
        case Worker::Ending::died: {
            const auto ended = worker->reap(deadline);
            giveBack(*pool, nullptr);
            if (!ended)
                return ExifToolError::timeout();
            return endedRunResult(ended->crashed, ended->exitCode, std::move(answer.output), answer.error);
        }
        case Worker::Ending::notSent:
            // It was gone before it read a word of this command: try a fresh one.
            worker->kill();
            giveBack(*pool, nullptr);
            break;
        }
    }
    return runOnce(program, arguments, limit);
}

// One more worker for the program, unless it has all it may have.
void StayOpenRunner::Private::prepareOne(const QByteArray &path)
{
    const auto identity = identityOf(path);
    if (!identity)
        return;
    const auto pool = poolFor(path);
    std::vector<std::unique_ptr<Worker>> outdated;
    quint64 generation = 0;
    bool wanted = false;
    {
        std::lock_guard lock(pool->mutex);
        follow(*pool, *identity, path, outdated);
        wanted = pool->speaksProtocol && pool->live < options.workersPerTool;
        if (wanted) {
            ++pool->live;
            generation = pool->generation;
        }
    }
    end(std::move(outdated));
    if (!wanted)
        return;
    // Perl and exiftool's modules load in well under a second; a machine that
    // takes this long is better served by starting workers as runs need them.
    bool speaks = true;
    auto worker = start(path, generation, Clock::now() + std::chrono::seconds(30), &speaks);
    if (worker)
        giveBack(*pool, std::move(worker));
    else
        notStarted(*pool, generation, speaks);
}

QFuture<void> StayOpenRunner::Private::prepare(const QString &program)
{
    if (!program.startsWith(u'/') || stopping->load())
        return QtFuture::makeReadyFuture();
    const QByteArray path = QFile::encodeName(program);
    const int count = options.workersPerTool;
    auto promise = std::make_shared<QPromise<void>>();
    auto left = std::make_shared<std::atomic<int>>(count);
    promise->start();
    {
        std::lock_guard lock(preparingMutex);
        preparing += count;
    }
    for (int i = 0; i < count; ++i) {
        starters.start([this, path, promise, left] {
            prepareOne(path);
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
                                         std::chrono::milliseconds limit)
{
    return d->run(program, arguments, limit);
}

QFuture<void> StayOpenRunner::prepare(const QString &program)
{
    return d->prepare(program);
}

StayOpenRunner::Counts StayOpenRunner::counts() const
{
    return {d->persistentRuns.load(), d->oneShotRuns.load()};
}
