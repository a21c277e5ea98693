#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// Linux file names are bytes, and not every name is UTF-8 text. A file URL
// keeps such bytes percent-encoded; a QString path cannot (they decode to
// U+FFFD, and another file could decode to the same text). These carry the
// bytes, and decode them only for people to read.

// The exact bytes of a local file URL's path; empty for other URLs.
QByteArray localPathBytes(const QUrl &url);
// A file URL for a path of any bytes.
QUrl urlForLocalPath(const QByteArray &path);
// Whether the path survives a trip through QString: valid UTF-8.
bool isTextPath(const QByteArray &path);

// A path that leads through an open descriptor of this process:
// "/proc/self/fd/<fd>", and "/proc/self/fd/<fd>/<rest>" inside a folder's.
// Text for any file, whatever its name's bytes; a child process that is
// handed the descriptor under the same number (ChildProcess) reads it too.
QString descriptorPath(int fd);
// The descriptors such paths in `argument` lead through, in order.
QList<int> descriptorsNamedIn(const QString &argument);

// A name as it is shown: every character visible, so that two different
// names never read the same. A line break reads "↵", other control
// characters their Unicode pictures ("␉"), a byte that is not UTF-8 "�" and
// its hex value ("�E9"), and spaces at the end "␣".
QString visibleName(const QByteArray &name);
// The same for the last part of a path.
QString visibleFileName(const QByteArray &path);
