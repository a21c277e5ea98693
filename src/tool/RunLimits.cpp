#include "RunLimits.h"

std::chrono::milliseconds RunLimits::forFileSize(qint64 bytes) const
{
    const qint64 mebibytes = bytes > 0 ? (bytes + (1 << 20) - 1) >> 20 : 0;
    return base + perMebibyte * mebibytes;
}
