#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

// Files handed to `tessaly` as a file manager's "Open With" does: plain paths
// (relative ones against `workingDirectory`) or file URLs, in their order.
// There are no options: every argument names a file, even one starting with
// a dash. Paths are bytes, as the kernel gave them, and stay bytes in the
// URLs. Arguments that name no local file (other URL schemes, empty
// strings) are skipped; extensions are the model's business.
QList<QUrl> urlsFromArguments(const QList<QByteArray> &arguments, const QByteArray &workingDirectory);

// The process's working directory as the disk names it.
QByteArray currentDirectoryBytes();
