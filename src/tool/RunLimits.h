#pragma once

#include <QtGlobal>

#include <chrono>

// How long one run of the tool may take before it is stopped and reported as
// a timeout. Generous: a run that hits it is stuck, not slow. Grows with the
// size of the file, so that a large video is never cut off mid-write.
struct RunLimits
{
    static constexpr std::chrono::milliseconds defaultBase{std::chrono::minutes(2)};
    static constexpr std::chrono::milliseconds defaultPerMebibyte{std::chrono::seconds(2)};

    std::chrono::milliseconds base = defaultBase;
    std::chrono::milliseconds perMebibyte = defaultPerMebibyte;

    std::chrono::milliseconds forFileSize(qint64 bytes) const;
};
