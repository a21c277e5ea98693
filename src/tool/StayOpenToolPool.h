#pragma once

#include "StayOpenWorker.h"
#include "ToolFileVersion.h"

#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace StayOpen {

// The workers of one program with one grant.
struct ToolPool
{
    quint64 lastUsed = 0; // under the runner's poolsMutex
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<ToolFileVersion> version;
    bool speaksProtocol = true;
    quint64 generation = 0;
    int live = 0; // idle, busy and starting
    std::vector<std::unique_ptr<StayOpenWorker>> idle;
};

} // namespace StayOpen
