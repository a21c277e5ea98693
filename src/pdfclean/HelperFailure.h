#pragma once

#include "protocol/PdfHelperProtocol.h"

#include <string>

// Why this run ends without a cleaned file: thrown inside the helper, turned
// into its exit code and one line on standard error in main().
struct HelperFailure
{
    PdfHelper::Exit exit;
    std::string message; // one line, without file paths
};

[[noreturn]] inline void fail(PdfHelper::Exit exit, const std::string &message)
{
    throw HelperFailure{exit, message};
}
