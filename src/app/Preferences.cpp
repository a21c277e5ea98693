#include "Preferences.h"

namespace {

const QString keepOriginalKey = QStringLiteral("cleaning/keepOriginal");
const QString keepDateKey = QStringLiteral("cleaning/keepModificationDate");
const QString reviewKey = QStringLiteral("cleaning/reviewFirst");

} // namespace

Preferences::Preferences(QSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
}

bool Preferences::keepOriginal() const
{
    return m_settings.value(keepOriginalKey, false).toBool();
}

void Preferences::setKeepOriginal(bool keep)
{
    if (keep == keepOriginal())
        return;
    m_settings.setValue(keepOriginalKey, keep);
    m_settings.sync();
    emit changed();
}

bool Preferences::keepModificationDate() const
{
    return m_settings.value(keepDateKey, false).toBool();
}

void Preferences::setKeepModificationDate(bool keep)
{
    if (keep == keepModificationDate())
        return;
    m_settings.setValue(keepDateKey, keep);
    m_settings.sync();
    emit changed();
}

bool Preferences::reviewFirst() const
{
    return m_settings.value(reviewKey, false).toBool();
}

void Preferences::setReviewFirst(bool review)
{
    if (review == reviewFirst())
        return;
    m_settings.setValue(reviewKey, review);
    m_settings.sync();
    emit changed();
}

CleaningChoices Preferences::choices() const
{
    return {keepOriginal(), keepModificationDate()};
}
