#pragma once

#include <QString>

// The interface's texts that are filled with numbers, from the string table.
namespace UiTexts {

// "files_counter": total, then done, then error; the plural form follows the
// total ("1 file").
QString counterText(qint64 total, qint64 done, qint64 error);

// The number shown under the progress bar: the integer part of
// progress × 100, truncated toward zero (0.995 shows 99, not 100).
qint64 truncatedPercentage(double progress);
QString percentageText(qint64 percentage);
// The bar turns green once the run has finished every file.
bool isProgressComplete(double progress);

// "42 → 3": tag counts before and after cleaning.
QString keyCountsText(qint64 before, qint64 after);

// "(12)": the row count of a metadata column.
QString rowCountText(qint64 rows);

// Empty for 0; "unsupported_single" for 1; "unsupported_multiple" with the
// count for 2 or more.
QString unsupportedMessage(qint64 unsupportedCount);

// The question before a folder's many files are listed. `folderName` is the
// one folder they come from, or empty when they come from several.
// The question before many files from folders are cleaned, naming what
// will happen to them: replaced, or cleaned copies saved beside them.
QString confirmationText(qint64 fileCount, const QString &folderName, bool keepOriginal);

// What a run came to, with the counts written as the language writes
// numbers: "1,498 cleaned, 2 not cleaned"; "12 files cleaned" when all were.
QString runSummary(qint64 cleaned, qint64 notCleaned);

} // namespace UiTexts
