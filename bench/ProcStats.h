#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/resource.h>

// What the kernel counts of a process, read from /proc, for the benchmarks'
// accounting of who spent what.

struct ProcStat
{
    bool valid = false;
    char state = '?';
    qint64 ppid = 0;
    double self = 0;     // utime + stime, every thread
    double children = 0; // cutime + cstime: the children it reaped
};

QByteArray readProcFile(const QString &path);
ProcStat procStat(qint64 pid);
// Of every live process below `root` (its children, theirs, ...), not `root`
// itself: tool workers may run inside a sandbox that is their parent.
double descendantsCpuSeconds(qint64 root);
// A "kB" field of /proc/PID/status (VmHWM:, VmRSS:, ...); -1 when absent.
qint64 statusKb(qint64 pid, const QByteArray &field);

double cpuSeconds(const rusage &usage);
// Of every child this process reaped so far.
double reapedChildrenCpuSeconds();

double median(QList<double> values);
