#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Cleans one PDF out of the app's process: a hostile file can only take this
// process down. The exit codes are what the app reads.
namespace PdfCleaning {

enum class Exit : int {
    Cleaned = 0,
    Other = 1,
    Unreadable = 2,
    NeedsPassword = 3,
    Unverified = 4,
    WriteFailed = 5,
    PageTreeTooDeep = 6,
};

struct Failure
{
    Exit exit;
    std::string message; // one line, without file paths
};

struct Report
{
    std::size_t pages = 0;
    int pictures = 0;        // streams that claim to be JPEG
    int picturesCleaned = 0; // those that lost segments
    std::vector<std::string> removed;
};

// Reads `input`, writes the cleaned copy to `output` (a new file, 0600) and
// verifies it strictly. Throws Failure; `output` is gone after a failure.
Report clean(const char *input, const char *output);

std::string toJson(const Report &report);

} // namespace PdfCleaning
