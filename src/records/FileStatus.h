#pragma once

// pending (waiting for its turn) -> processing (being cleaned) -> done | error.
// A stop leaves pending and processing files `stopped`; a retry takes an
// error or a stopped file back to pending. A file listed for review is
// `ready` until the person asks for it to be cleaned.
enum class FileStatus {
    pending,
    processing,
    done,
    error,
    stopped,
    ready,
};
