#pragma once

#include <PassTimes.h>

// The clean's passes per file, for the benchmarks' "where a photo's time
// goes": each worker pass's wall time summed over threads, then the UI
// thread's and the whole app's CPU.
struct PassTable
{
    PassTimes::Totals passes {};
    double uiCpuSeconds = 0;
    double appCpuSeconds = 0;
    double toolCpuSeconds = 0;
    qint64 files = 0;

    PassTable &operator+=(const PassTable &other);
    void print() const;
};

// CPU seconds of the calling thread and of the whole process.
double threadCpuSeconds();
double processCpuSeconds();
