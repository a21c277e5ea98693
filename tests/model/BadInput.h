#pragma once

#include <TessalyViewModel.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// What the suites that feed the real cleaner awkward files share: finding
// rows and files by names of any bytes, big files that take a while, and a
// main() that takes root's power over permissions away.
namespace BadInput {

// Every entry below `directory`, relative and sorted.
QStringList entries(const QString &directory);
const FileItem *itemFor(const TessalyViewModel &model, const QByteArray &path);
const FileItem *itemFor(const TessalyViewModel &model, const QString &path);
// The row's status; pending where there is no row.
FileStatus statusOf(const TessalyViewModel &model, const QString &path);
// The row's error, or "(no error)".
QString messageOf(const FileItem *item);
// A regular file's bytes, read by a name of any bytes; empty for anything else.
QByteArray regularFileBytes(const QByteArray &path);
// QTemporaryDir cannot remove names that are not UTF-8: this can.
void removeTree(const QByteArray &path);
// A fixture renamed to a name of any bytes.
QByteArray makeNamed(const QString &folder, const QByteArray &name);
bool marked(const QByteArray &bytes);
bool stagedFolderIn(const QByteArray &directory);
bool stagedFolderIn(const QString &directory);
// Large enough that cleaning it takes a while, marked with the fixtures' author (jpg, pdf or a video).
void makeBigFile(const QString &path);
// Adds `urls` and waits until every row is done or in error.
void runToTheEnd(TessalyViewModel &model, const QList<QUrl> &urls);
// Waits until the rows already added are all done or in error.
void endOfRun(TessalyViewModel &model);
// As root, permissions never bite: runs this program again without the
// capabilities that override them, so the read-only and unreadable cases
// mean something. Returns only where that cannot be done.
void dropPermissionOverrides(int argc, char *argv[]);

} // namespace BadInput
