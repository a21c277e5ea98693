#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <atomic>
#include <chrono>
#include <optional>

#include <sys/types.h>

// One persistent exiftool (`-stay_open True -@ -`), the part of
// StayOpenRunner that talks to a single process. Besides `cancel`, a run
// ends when the calling thread's CancelScope is given up.
// One persistent exiftool. Used by one thread at a time.
class StayOpenWorker
{
public:
    using Clock = std::chrono::steady_clock;

    enum class Ending { answered, timedOut, died, notSent, cancelled, sinkFailed };
    struct Exchange
    {
        Ending ending;
        int status = 0;
        QByteArray output;
        QByteArray error;
    };

    StayOpenWorker(pid_t pid, int input, int output, int error, quint64 generation);
    ~StayOpenWorker() { kill(); }
    StayOpenWorker(const StayOpenWorker &) = delete;
    StayOpenWorker &operator=(const StayOpenWorker &) = delete;

    pid_t pid() const { return m_pid; }

    // Looked at after every command: the file stays open, as opening a /proc
    // file each time costs more than reading it. 0 when it cannot be read.
    qint64 residentBytes();

    quint64 generation() const { return m_generation; }
    // Commands answered, the start-up probe not counted.
    int served() const { return m_served; }
    void noteServed() { ++m_served; }

    // Idle and still fit for the current process state: alive, silent, and
    // started in the folder relative paths would now be taken from.
    bool fitForUse(quint64 generation) const;

    // Sends one command and reads its answer: standard output up to the
    // `{readyN}` line, standard error up to the end mark. With a `sink`, the
    // output goes there as it comes (a few kilobytes held back, where the
    // marks end it); a failed write ends the exchange with the reason in `error`.
    Exchange exchange(const QByteArray &arguments, Clock::time_point deadline,
                      const std::atomic<bool> *cancel = nullptr, int sink = -1);

    struct Ended
    {
        bool crashed;
        int exitCode;
    };

    // How a worker whose pipes closed ended. One that lingers on past the
    // deadline is killed, and gives nothing.
    std::optional<Ended> reap(Clock::time_point deadline);

    // Stops a worker at once, mid-command or not, and waits for it to end.
    void kill();

    // Asks an idle worker to finish (it exits at the end of its argument
    // file); does not wait. finishAsked() then waits, briefly.
    void askToFinish();

    void finishAsked(Clock::time_point deadline);

private:
    static constexpr qsizetype heldBack = 4096;

    static bool writeAll(int fd, QByteArrayView bytes);

    // The process that is exiftool: in a sandbox, bwrap's child's child
    // (bwrap, then the PID namespace's init, then the tool).
    pid_t toolProcess() const;

    Ended reap();

    // Reads what is there; false once the pipe has closed.
    static bool drain(int fd, QByteArray &into);

    // Where the command's own output ends, given where `{readyN}` starts:
    // before "<mark>STATUS>>\n". -1 when the mark is not there.
    qsizetype statusEnd(const QByteArray &output, qsizetype readyAt, int *status) const;

    void closeAll();

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
    int m_statm = -1;
};
