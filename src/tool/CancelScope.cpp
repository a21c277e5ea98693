#include "CancelScope.h"

namespace {

thread_local const std::atomic<bool> *current = nullptr;

} // namespace

CancelScope::CancelScope(const std::atomic<bool> *flag)
    : m_previous(current)
{
    current = flag;
}

CancelScope::~CancelScope()
{
    current = m_previous;
}

bool CancelScope::cancelled()
{
    return current && current->load();
}
