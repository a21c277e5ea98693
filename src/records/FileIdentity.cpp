#include "FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

std::optional<FileIdentity> FileIdentity::of(const QString &path)
{
    return of(QFile::encodeName(path));
}

std::optional<FileIdentity> FileIdentity::of(const QByteArray &path)
{
    struct stat info;
    if (path.isEmpty() || path.contains('\0') || ::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
}
