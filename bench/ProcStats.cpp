#include "ProcStats.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>

#include <unistd.h>

QByteArray readProcFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ProcStat procStat(qint64 pid)
{
    const QByteArray text = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 15)
        return {};
    const double tick = double(::sysconf(_SC_CLK_TCK));
    return {true, fields[0].isEmpty() ? '?' : fields[0].at(0), fields[1].toLongLong(),
            (fields[11].toDouble() + fields[12].toDouble()) / tick, (fields[13].toDouble() + fields[14].toDouble()) / tick};
}

double descendantsCpuSeconds(qint64 root)
{
    QHash<qint64, QList<qint64>> children;
    QHash<qint64, double> cpu;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = entry.toLongLong();
        if (pid <= 0)
            continue;
        const ProcStat stat = procStat(pid);
        if (!stat.valid)
            continue;
        children[stat.ppid].append(pid);
        cpu.insert(pid, stat.self);
    }
    double total = 0;
    QList<qint64> next = children.value(root);
    while (!next.isEmpty()) {
        const qint64 pid = next.takeLast();
        total += cpu.value(pid);
        next += children.value(pid);
    }
    return total;
}

qint64 statusKb(qint64 pid, const QByteArray &field)
{
    for (const QByteArray &line : readProcFile(QStringLiteral("/proc/%1/status").arg(pid)).split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double cpuSeconds(const rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double reapedChildrenCpuSeconds()
{
    rusage usage;
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return cpuSeconds(usage);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
