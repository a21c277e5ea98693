#pragma once

#include <QByteArray>
#include <QString>

// Writes a stand-in for exiftool, `<directory>/exiftool`, as a POSIX shell
// script with the given body. The script sees the same arguments the real
// tool would get ("$1" "$2" "$3"...). Returns the script's path.
QString writeFakeTool(const QString &directory, const QByteArray &shellBody, bool executable = true);

// A fake that answers reads with `json` and strips successfully.
QString writeFakeToolAnswering(const QString &directory, const QByteArray &json);
