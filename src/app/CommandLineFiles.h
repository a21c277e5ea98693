#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

// Files handed to `tessaly` as a file manager's "Open With" does: plain paths
// (relative ones against `workingDirectory`) or file URLs, in their order.
// Arguments are argv's own bytes: a name that is not UTF-8, or that ends in
// a space, is a name like any other. There are no options: every argument
// names a file, even one starting with a dash. Arguments that name no local
// file (other URL schemes, empty strings) are skipped; extensions are the
// model's business.
QList<QUrl> urlsFromArguments(const QList<QByteArray> &arguments, const QByteArray &workingDirectory);

// The current folder's bytes, which QDir::currentPath() decodes.
QByteArray currentFolderBytes();
