#include "PassTimes.h"

namespace {

std::atomic<bool> on {qEnvironmentVariableIsSet("TESSALY_PASS_TIMES")};
std::array<std::atomic<qint64>, PassTimes::passCount> sums {};

} // namespace

void PassTimes::setEnabled(bool enable)
{
    on.store(enable, std::memory_order_relaxed);
}

bool PassTimes::enabled()
{
    return on.load(std::memory_order_relaxed);
}

PassTimes::Totals PassTimes::totals()
{
    Totals copy {};
    for (int i = 0; i < passCount; ++i)
        copy[i] = sums[i].load(std::memory_order_relaxed);
    return copy;
}

void PassTimes::reset()
{
    for (auto &sum : sums)
        sum.store(0, std::memory_order_relaxed);
}

const char *PassTimes::name(Pass pass)
{
    static constexpr const char *names[passCount] = {"open",       "before_read", "before_walk",
                                                      "write",      "finish",      "after_read",
                                                      "after_walk", "fsync",       "rename"};
    return names[int(pass)];
}

PassTimes::PassTimes(Pass pass)
    : m_pass(pass)
    , m_running(enabled())
{
    if (m_running)
        m_start = std::chrono::steady_clock::now();
}

void PassTimes::stop()
{
    if (!m_running)
        return;
    m_running = false;
    add(m_pass, std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - m_start).count());
}

void PassTimes::add(Pass pass, qint64 nanoseconds)
{
    sums[int(pass)].fetch_add(nanoseconds, std::memory_order_relaxed);
}
