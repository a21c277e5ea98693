#pragma once

class FileCleaner;

// tessaly_bench --large: a 2 GB MP4 and a 200 MB PDF, made on the spot in a
// temporary folder and removed after, each cleaned by `cleaner` and by the
// one tool a person would use alone on the same file (exiftool's strip, qpdf's
// rewrite). Prints both ratios and the process's peak memory during each clean.
int largeFiles(const FileCleaner &cleaner);
