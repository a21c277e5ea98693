#include "FakeTool.h"

#include <QDir>
#include <QFile>

QString writeFakeTool(const QString &directory, const QByteArray &script, bool executable)
{
    QDir().mkpath(directory);
    QFile file(QDir(directory).absoluteFilePath(QStringLiteral("exiftool")));
    const QByteArray text = script.startsWith("#!") ? script : "#!/bin/sh\n" + script + "\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("cannot write fake tool %s", qPrintable(file.fileName()));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther
                        | (executable ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther : QFile::Permissions()));
    return file.fileName();
}
