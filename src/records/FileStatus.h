#pragma once

// Moves only forward: pending -> processing -> done | error.
enum class FileStatus {
    pending,
    processing,
    done,
    error,
};
