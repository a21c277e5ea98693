#include "UiTexts.h"

#include "LocalizedFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace UiTexts {

QString counterText(qint64 total, qint64 done, qint64 error)
{
    // The table's entry has plural forms, chosen by the total ("1 file").
    const int pluralCount = int(std::clamp<qint64>(total, 0, std::numeric_limits<int>::max()));
    return LocalizedFormat::translated("files_counter", u"%lld files · %lld cleaned · %lld failed",
                                       {total, done, error}, pluralCount);
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
    return LocalizedFormat::translated("%lld%", u"%lld%", {percentage});
}

bool isProgressComplete(double progress)
{
    return progress >= 1.0;
}

QString keyCountsText(qint64 before, qint64 after)
{
    return LocalizedFormat::translated("%lld → %lld", u"%lld → %lld", {before, after});
}

QString rowCountText(qint64 rows)
{
    return LocalizedFormat::translated("(%lld)", u"(%lld)", {rows});
}

QString unsupportedMessage(qint64 unsupportedCount)
{
    if (unsupportedCount <= 0)
        return {};
    if (unsupportedCount == 1)
        return qtTrId("unsupported_single");
    return LocalizedFormat::translated("unsupported_multiple", u"%lld files are of an unsupported type",
                                       {unsupportedCount});
}

} // namespace UiTexts
