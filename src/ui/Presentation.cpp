#include "Presentation.h"

#include "UiTexts.h"

QString Presentation::counterText(qint64 total, qint64 done, qint64 error) const
{
    return UiTexts::counterText(total, done, error);
}

qint64 Presentation::percentage(double progress) const
{
    return UiTexts::truncatedPercentage(progress);
}

QString Presentation::percentageText(qint64 percentage) const
{
    return UiTexts::percentageText(percentage);
}

bool Presentation::isProgressComplete(double progress) const
{
    return UiTexts::isProgressComplete(progress);
}

QString Presentation::rowCountText(qint64 rows) const
{
    return UiTexts::rowCountText(rows);
}

QString Presentation::runSummary(qint64 cleaned, qint64 notCleaned) const
{
    return UiTexts::runSummary(cleaned, notCleaned);
}

