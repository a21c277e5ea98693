#pragma once

#include <QtGlobal>

#include <array>
#include <atomic>
#include <chrono>

// Where a clean's time goes, summed over every file and thread of the
// process: the benchmarks turn it on and print it as a table. Off, a pass
// costs one relaxed load.
class PassTimes
{
public:
    enum class Pass {
        open,       // the original opened, locked and checked
        beforeRead, // exiftool's read of the original
        beforeWalk, // the residue check of the original: its walk and attributes
        write,      // the staged copy made and written
        finish,     // ownership, times and the early flush start of the copy
        afterRead,  // exiftool's read of the written copy
        afterWalk,  // the residue check of the written copy
        fsync,      // the copy flushed to disk
        rename,     // the copy renamed over the original and its folder synced
    };
    static constexpr int passCount = int(Pass::rename) + 1;
    using Totals = std::array<qint64, passCount>; // nanoseconds

    static void setEnabled(bool on);
    static bool enabled();
    static Totals totals();
    static void reset();
    static const char *name(Pass pass);

    // Times from construction to destruction (or to stop()).
    explicit PassTimes(Pass pass);
    ~PassTimes() { stop(); }
    PassTimes(const PassTimes &) = delete;
    PassTimes &operator=(const PassTimes &) = delete;
    void stop();

private:
    static void add(Pass pass, qint64 nanoseconds);

    Pass m_pass;
    bool m_running;
    std::chrono::steady_clock::time_point m_start;
};
