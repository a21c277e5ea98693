#include "ToolFileVersion.h"

#include <sys/stat.h>

std::optional<ToolFileVersion> versionOf(const QByteArray &path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return ToolFileVersion{info.st_dev, info.st_ino, info.st_size, info.st_mode,
                        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                        qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}
