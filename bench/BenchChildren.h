#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

#include <sys/resource.h>
#include <sys/types.h>

// The window bench's children: started with posix_spawn, reaped with their
// CPU, and stopped (with the folder of copies removed) when the bench is
// interrupted, so that no X server, window or gigabyte of photos outlives a
// cut-short run.
namespace BenchChildren {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP; `folder` is removed by them.
void stopOnSignals(const QString &folder);
// posix_spawn with the given environment; stdout and stderr go to `log`.
pid_t spawn(const QStringList &arguments, const QStringList &environment, const QString &log);
QStringList currentEnvironment();
QStringList withVariables(QStringList environment, const QList<std::pair<QString, QString>> &set,
                          const QStringList &unset = {});
// Waits for a child and returns its exit status and its rusage (which holds
// the children it reaped itself).
std::pair<int, rusage> reap(pid_t pid);
bool exited(pid_t pid);

} // namespace BenchChildren
