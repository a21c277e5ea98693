#pragma once

#include "Report.h"

// Cleans one PDF out of the app's process: a hostile file can only take this
// process down. The exit codes are what the app reads.
namespace PdfCleaning {

// Reads `input`, writes the cleaned copy to `output` (a new file, 0600),
// verifies it strictly and looks it over again for anything that should have
// gone. Throws HelperFailure; `output` is gone after a failure.
Report clean(const char *input, const char *output);

// Whether `input` opens only with a password: no more than the header, the
// cross-reference table and the encryption dictionary are read.
bool needsPassword(const char *input);

} // namespace PdfCleaning
