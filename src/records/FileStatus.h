#pragma once

// pending (waiting for its turn) -> processing (being cleaned) -> done | error.
// A stop leaves pending and processing files `stopped`; a retry takes an
// error or a stopped file back to pending.
enum class FileStatus {
    pending,
    processing,
    done,
    error,
    stopped,
};
