#include "FakeTool.h"

#include <QDir>
#include <QFile>

QString writeFakeTool(const QString &directory, const QByteArray &shellBody, bool executable)
{
    QDir().mkpath(directory);
    const QString path = QDir(directory).absoluteFilePath(QStringLiteral("exiftool"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write fake tool %s", qPrintable(path));
    file.write("#!/bin/sh\n");
    file.write(shellBody);
    file.write("\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (executable)
        permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    file.setPermissions(permissions);
    return path;
}

QString writeFakeToolAnswering(const QString &directory, const QByteArray &json)
{
    QFile jsonFile(QDir(directory).absoluteFilePath(QStringLiteral("answer.json")));
    QDir().mkpath(directory);
    if (!jsonFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(jsonFile.fileName()));
    jsonFile.write(json);
    jsonFile.close();
    return writeFakeTool(directory,
                         "case \"$1\" in\n"
                         "  -all) cat \"" + QFile::encodeName(jsonFile.fileName()) + "\" ;;\n"
                         "  *) : ;;\n"
                         "esac\n");
}
