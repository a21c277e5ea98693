#include "Preferences.h"

#include "FamilyTexts.h"

namespace {

const QString keepOriginalKey = QStringLiteral("cleaning/keepOriginal");
const QString keepDateKey = QStringLiteral("cleaning/keepModificationDate");
const QString reviewKey = QStringLiteral("cleaning/reviewFirst");
const QString keptKey = QStringLiteral("removal/kept");
const QString keptVersionKey = QStringLiteral("removal/version");
// The meaning of the stored words; a file from another version removes everything.
constexpr int keptVersion = 1;

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

KeptFamilies Preferences::keptFamilies() const
{
    if (m_keptOverride)
        return *m_keptOverride;
    bool versionRead = false;
    const int version = m_settings.value(keptVersionKey).toInt(&versionRead);
    // Written by hand without quotes, the words come back as a list.
    const QVariant stored = m_settings.value(keptKey);
    const bool text = stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QStringList;
    if (!versionRead || version != keptVersion || !text)
        return {};
    return KeptFamilies::fromKeys(stored.toStringList().join(u',')).value_or(KeptFamilies {});
}

void Preferences::setKeptFamilies(const KeptFamilies &kept)
{
    if (kept == keptFamilies() && !m_keptOverride)
        return;
    m_keptOverride.reset();
    m_settings.setValue(keptVersionKey, keptVersion);
    m_settings.setValue(keptKey, kept.toKeys());
    m_settings.sync();
    emit changed();
}

QStringList Preferences::keptFamilyKeys() const
{
    QStringList keys;
    for (const TagFamily family : keptFamilies().kept())
        keys.append(keyOf(family));
    return keys;
}

QString Preferences::keepingNote() const
{
    return FamilyTexts::keepingNote(keptFamilies());
}

void Preferences::setRemoves(const QString &family, bool remove)
{
    if (const auto known = tagFamilyFromKey(family))
        setKeptFamilies(keptFamilies().with(*known, !remove));
}

void Preferences::removeEverything()
{
    setKeptFamilies({});
}

void Preferences::removeOnlyLocation()
{
    setKeptFamilies(KeptFamilies::allButLocation());
}

QString Preferences::familyLabel(const QString &family) const
{
    const auto known = tagFamilyFromKey(family);
    return known ? FamilyTexts::label(*known) : QString();
}

QString Preferences::familyWhereKept(const QString &family) const
{
    const auto known = tagFamilyFromKey(family);
    return known ? FamilyTexts::whereKept(*known) : QString();
}

QStringList Preferences::familyKeys() const
{
    QStringList keys;
    for (const TagFamily family : allTagFamilies)
        keys.append(keyOf(family));
    return keys;
}

void Preferences::overrideKeptFamilies(std::optional<KeptFamilies> kept)
{
    if (kept == m_keptOverride)
        return;
    m_keptOverride = kept;
    emit changed();
}

CleaningChoices Preferences::choices() const
{
    return {keepOriginal(), keepModificationDate(), keptFamilies()};
}
