#include "SystemError.h"

#include <cerrno>
#include <cstring>

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

CleanError systemFailure(CleanError::Kind kind, const QString &name, int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return CleanError(CleanError::Kind::diskFull, {name}, systemReason(error));
    case EROFS:
        return CleanError(CleanError::Kind::readOnlyDisk, {name}, systemReason(error));
    default:
        return CleanError(kind, {name, systemReason(error)});
    }
}
