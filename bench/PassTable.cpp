#include "PassTable.h"

#include <cstdio>
#include <ctime>

namespace {

double seconds(clockid_t clock)
{
    timespec now {};
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

} // namespace

double threadCpuSeconds()
{
    return seconds(CLOCK_THREAD_CPUTIME_ID);
}

double processCpuSeconds()
{
    return seconds(CLOCK_PROCESS_CPUTIME_ID);
}

PassTable &PassTable::operator+=(const PassTable &other)
{
    for (int i = 0; i < PassTimes::passCount; ++i)
        passes[i] += other.passes[i];
    uiCpuSeconds += other.uiCpuSeconds;
    appCpuSeconds += other.appCpuSeconds;
    toolCpuSeconds += other.toolCpuSeconds;
    files += other.files;
    return *this;
}

void PassTable::print() const
{
    if (files == 0)
        return;
    qint64 total = 0;
    for (qint64 pass : passes)
        total += pass;
    std::printf("per photo, worker wall time summed over threads (%lld photos):\n", files);
    for (int i = 0; i < PassTimes::passCount; ++i) {
        std::printf("  pass %-12s %7.2f ms %5.1f%%\n", PassTimes::name(PassTimes::Pass(i)), passes[i] / 1e6 / files,
                    total ? 100.0 * passes[i] / total : 0.0);
    }
    std::printf("  %-17s %7.2f ms\n", "passes total", total / 1e6 / files);
    std::printf("per photo, CPU: ui_thread=%.2f ms app_other_threads=%.2f ms exiftool=%.2f ms\n",
                uiCpuSeconds * 1e3 / files, (appCpuSeconds - uiCpuSeconds) * 1e3 / files, toolCpuSeconds * 1e3 / files);
    std::printf("app_cpu_per_tool_cpu=%.3f\n", toolCpuSeconds > 0 ? appCpuSeconds / toolCpuSeconds : 0.0);
}
