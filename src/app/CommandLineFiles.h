#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// Files handed to `tessaly` as a file manager's "Open With" does: plain paths
// (relative ones against `workingDirectory`) or file URLs, in their order.
// There are no options: every argument names a file, even one starting with
// a dash. Arguments that name no local file (other URL schemes, empty
// strings) are skipped; extensions are the model's business.
QList<QUrl> urlsFromArguments(const QStringList &arguments, const QString &workingDirectory);
