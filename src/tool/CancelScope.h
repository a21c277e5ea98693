#pragma once

#include <atomic>

// The flag that gives up the work the calling thread does now. A file's
// clean sets it for as long as it runs, and every tool run it makes on the
// way (exiftool kept open or started once, the PDF and MKV helpers) watches
// it: a row removed or a Stop ends the run under way, not only the next one.
// Scopes nest; the innermost flag counts.
class CancelScope
{
public:
    explicit CancelScope(const std::atomic<bool> *flag);
    ~CancelScope();
    CancelScope(const CancelScope &) = delete;
    CancelScope &operator=(const CancelScope &) = delete;

    // Whether the calling thread's work has been given up.
    static bool cancelled();

private:
    const std::atomic<bool> *m_previous;
};
