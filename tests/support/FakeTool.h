#pragma once

#include <QByteArray>
#include <QString>

// Writes a stand-in for exiftool, `<directory>/exiftool`: a POSIX shell script
// with this body, seeing the arguments the real tool would get, or `script`
// as it is when it starts with "#!". Returns its path.
QString writeFakeTool(const QString &directory, const QByteArray &script, bool executable = true);
