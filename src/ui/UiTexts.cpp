#include "UiTexts.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace UiTexts {

namespace {

// Plural forms are chosen by an int; no list comes near its end.
int pluralCount(qint64 count)
{
    return int(std::clamp<qint64>(count, 0, std::numeric_limits<int>::max()));
}

} // namespace

QString counterText(qint64 total, qint64 done, qint64 error)
{
    //% "%n files · %1 cleaned · %2 failed"
    return qtTrId("files_counter", pluralCount(total)).arg(done).arg(error);
}

qint64 truncatedPercentage(double progress)
{
    const double percent = progress * 100.0;
    if (!std::isfinite(percent))
        return 0;
    // Progress never leaves 0...1; the clamp only keeps the cast defined.
    if (percent >= double(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    if (percent <= double(std::numeric_limits<qint64>::min()))
        return std::numeric_limits<qint64>::min();
    // The fraction is a ratio of counts; doubles make 29/100 * 100 come out as
    // 28.999999999999996. Far below the smallest real gap between such a
    // ratio and the next whole percent, the nudge only undoes that error.
    return qint64(std::trunc(percent + 1e-9));
}

QString percentageText(qint64 percentage)
{
    //% "%1%"
    return qtTrId("percentage").arg(percentage);
}

bool isProgressComplete(double progress)
{
    return progress >= 1.0;
}

QString keyCountsText(qint64 before, qint64 after)
{
    //% "%1 → %2"
    return qtTrId("key_counts").arg(QString::number(before), QString::number(after));
}

QString rowCountText(qint64 rows)
{
    //% "(%1)"
    return qtTrId("row_count").arg(rows);
}

QString unsupportedMessage(qint64 unsupportedCount)
{
    if (unsupportedCount <= 0)
        return {};
    if (unsupportedCount == 1) {
        //% "This file type is not supported"
        return qtTrId("unsupported_single");
    }
    //% "%n files are of an unsupported type"
    return qtTrId("unsupported_multiple", pluralCount(unsupportedCount));
}

QString confirmationText(qint64 fileCount, const QString &folderName, bool keepOriginal)
{
    const QString consequence = keepOriginal
        //% "Cleaned copies will be saved beside them."
        ? qtTrId("confirm_copies_beside")
        //% "They will be replaced by cleaned versions."
        : qtTrId("confirm_replaced");
    if (folderName.isEmpty()) {
        //% "Clean %Ln files from these folders?"
        return qtTrId("confirm_clean_folders", pluralCount(fileCount)) + u' ' + consequence;
    }
    //% "Clean %Ln files in “%1”?"
    return qtTrId("confirm_clean_in", pluralCount(fileCount)).arg(folderName) + u' ' + consequence;
}

QString runSummary(qint64 cleaned, qint64 notCleaned)
{
    if (notCleaned <= 0) {
        //% "%Ln files cleaned"
        return qtTrId("run_summary_all", pluralCount(cleaned));
    }
    const QLocale locale;
    //% "%1 cleaned, %2 not cleaned"
    return qtTrId("run_summary").arg(locale.toString(cleaned), locale.toString(notCleaned));
}

} // namespace UiTexts
