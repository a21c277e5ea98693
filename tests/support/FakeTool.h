#pragma once

#include <QByteArray>
#include <QString>

// Writes a stand-in for exiftool, `<directory>/exiftool`: a POSIX shell script
// with this body, seeing the arguments the real tool would get, or `script`
// as it is when it starts with "#!". Returns its path.
QString writeFakeTool(const QString &directory, const QByteArray &script, bool executable = true);

// A stand-in in Perl that also speaks `-stay_open`. What a command does
// depends on the file it names (its last argument): "hang…" marks the run
// as started in "marks/" beside the file, where it may, and sleeps a minute;
// "crash", "notfound", "warning", "garbage", "huge" and a few more act as
// named; anything else prints JSON naming `version`.
QString writeStayOpenStandIn(const QString &directory, const QByteArray &version = "1");
