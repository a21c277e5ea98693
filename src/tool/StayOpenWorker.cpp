#include "StayOpenWorker.h"

#include "CancelScope.h"
#include "Sandbox.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

} // namespace

StayOpenWorker::StayOpenWorker(pid_t pid, int input, int output, int error, quint64 generation)
    : m_pid(pid), m_input(input), m_output(output), m_error(error), m_generation(generation),
      m_directory(currentDirectory())
{
    const quint64 token = QRandomGenerator::global()->generate64();
    const QByteArray mark = "<<tessaly:" + QByteArray::number(token, 16) + ':';
    m_statusMark = mark;
    m_errorMark = mark + "end>>\n";
}

qint64 StayOpenWorker::residentBytes()
{
    if (m_statm < 0 && m_pid > 0) {
        const QByteArray path = "/proc/" + QByteArray::number(toolProcess()) + "/statm";
        m_statm = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    }
    char text[128];
    // /proc files take no pread: back to the start, where a read makes them anew.
    if (m_statm < 0 || ::lseek(m_statm, 0, SEEK_SET) != 0)
        return 0;
    const ssize_t got = ::read(m_statm, text, sizeof text);
    if (got <= 0)
        return 0;
    const QList<QByteArray> fields = QByteArray(text, got).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

bool StayOpenWorker::fitForUse(quint64 generation) const
{
    if (generation != m_generation || m_directory != currentDirectory())
        return false;
    pollfd fds[2] = {{m_output, POLLIN, 0}, {m_error, POLLIN, 0}};
    return ::poll(fds, 2, 0) == 0;
}

StayOpenWorker::Exchange StayOpenWorker::exchange(const QByteArray &arguments, Clock::time_point deadline,
                  const std::atomic<bool> *cancel, int sink)
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
        if (!outputOpen && !errorOpen) {
            result.ending = written == 0 ? Ending::notSent : Ending::died;
            return result;
        }
        if ((cancel && cancel->load()) || CancelScope::cancelled()) {
            result.ending = Ending::cancelled;
            return result;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.ending = Ending::timedOut;
            return result;
        }
        // The socket nearly always takes a command at once: a poll first
        // would only say so.
        if (written < command.size() && m_input >= 0) {
            const ssize_t sent = ::send(m_input, command.constData() + written, command.size() - written,
                                        MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0)
                written += sent;
            else if (sent < 0 && errno != EAGAIN && errno != EINTR)
                closeQuietly(m_input); // gone: its pipes will say so
        }
        pollfd fds[3];
        nfds_t count = 0;
        pollfd *output = outputOpen ? &(fds[count++] = {m_output, POLLIN, 0}) : nullptr;
        pollfd *error = errorOpen ? &(fds[count++] = {m_error, POLLIN, 0}) : nullptr;
        if (written < command.size() && m_input >= 0)
            fds[count++] = {m_input, POLLOUT, 0};
        // Slices of a tenth of a second, so that a quit is heard at once.
        const int ready_ = ::poll(fds, count, int(std::min<qint64>(left, 100)));
        if (ready_ < 0 && errno != EINTR) {
            result.ending = Ending::died;
            return result;
        }
        if (ready_ <= 0)
            continue;

        if (output && output->revents && !drain(m_output, result.output))
            outputOpen = false;
        if (error && error->revents && !drain(m_error, result.error))
            errorOpen = false;

        if (outputEnd < 0 && result.output.endsWith(ready))
            outputEnd = statusEnd(result.output, result.output.size() - ready.size(), &result.status);
        if (sink >= 0 && outputEnd < 0 && result.output.size() > 2 * heldBack) {
            if (!writeAll(sink, result.output.first(result.output.size() - heldBack))) {
                result.ending = Ending::sinkFailed;
                result.error = "Error: cannot write the cleaned copy: " + QByteArray(::strerror(errno));
                return result;
            }
            result.output.remove(0, result.output.size() - heldBack);
        }
        if (!errorDone && result.error.endsWith(m_errorMark))
            errorDone = true;
        if (!outputOpen && !errorOpen && (outputEnd < 0 || !errorDone)) {
            result.ending = written == 0 ? Ending::notSent : Ending::died;
            return result;
        }
    }
    result.output.truncate(outputEnd);
    result.error.chop(m_errorMark.size());
    if (sink >= 0) {
        if (!writeAll(sink, result.output)) {
            result.status = 1;
            result.error = "Error: cannot write the cleaned copy: " + QByteArray(::strerror(errno));
        }
        result.output.clear();
    }
    return result;
}

std::optional<StayOpenWorker::Ended> StayOpenWorker::reap(Clock::time_point deadline)
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

void StayOpenWorker::kill()
{
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL); // and what bwrap forked, while it sets up
        ::kill(m_pid, SIGKILL);
        reap();
    }
    closeAll();
}

void StayOpenWorker::askToFinish()
{
    if (m_input >= 0) {
        ::send(m_input, "-stay_open\nFalse\n", 17, MSG_NOSIGNAL | MSG_DONTWAIT);
        closeQuietly(m_input);
    }
}

void StayOpenWorker::finishAsked(Clock::time_point deadline)
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

bool StayOpenWorker::writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

pid_t StayOpenWorker::toolProcess() const
{
    pid_t pid = m_pid;
    for (int level = 0; level < 2; ++level) {
        QFile children("/proc/" + QByteArray::number(pid) + "/task/" + QByteArray::number(pid) + "/children");
        if (!children.open(QIODevice::ReadOnly))
            break;
        const QList<QByteArray> pids = children.readAll().trimmed().split(' ');
        if (pids.size() != 1 || pids.first().toInt() <= 0)
            break;
        pid = pids.first().toInt();
    }
    return pid;
}

StayOpenWorker::Ended StayOpenWorker::reap()
{
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    m_pid = -1;
    closeAll();
    if (WIFSIGNALED(status) || Sandbox::endedBySignal(WEXITSTATUS(status)))
        return {true, 0};
    return {false, WEXITSTATUS(status)};
}

bool StayOpenWorker::drain(int fd, QByteArray &into)
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

qsizetype StayOpenWorker::statusEnd(const QByteArray &output, qsizetype readyAt, int *status) const
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

void StayOpenWorker::closeAll()
{
    closeQuietly(m_input);
    closeQuietly(m_output);
    closeQuietly(m_error);
    closeQuietly(m_statm);
}
