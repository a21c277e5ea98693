#pragma once

#include <QString>

// The interface's texts that are filled with numbers. Each looks its format
// up in the string table and falls back to the English source format.
namespace UiTexts {

// "files_counter": total, then done, then error.
QString counterText(qint64 total, qint64 done, qint64 error);

// The number shown under the progress bar: the integer part of
// progress × 100, truncated toward zero (0.995 shows 99, not 100).
qint64 truncatedPercentage(double progress);
QString percentageText(qint64 percentage);
// The bar turns green once the run has finished every file.
bool isProgressComplete(double progress);

// "%lld → %lld": tag counts before and after cleaning.
QString keyCountsText(qint64 before, qint64 after);

// "(%lld)": the row count of a metadata column.
QString rowCountText(qint64 rows);

// Empty for 0; "unsupported_single" for 1; "unsupported_multiple" with the
// count for 2 or more.
QString unsupportedMessage(qint64 unsupportedCount);

} // namespace UiTexts
