#include "KeptFamilies.h"

#include <QStringList>

KeptFamilies KeptFamilies::allButLocation()
{
    KeptFamilies families;
    for (const TagFamily family : allTagFamilies)
        families = families.with(family, family != TagFamily::location);
    return families;
}

KeptFamilies KeptFamilies::with(TagFamily family, bool kept) const
{
    KeptFamilies changed = *this;
    changed.m_bits = kept ? (m_bits | bit(family)) : (m_bits & ~bit(family));
    return changed;
}

QList<TagFamily> KeptFamilies::kept() const
{
    QList<TagFamily> families;
    for (const TagFamily family : allTagFamilies) {
        if (keeps(family))
            families.append(family);
    }
    return families;
}

QString KeptFamilies::toKeys() const
{
    QStringList keys;
    for (const TagFamily family : kept())
        keys.append(keyOf(family));
    return keys.join(u',');
}

std::optional<KeptFamilies> KeptFamilies::fromKeys(QStringView keys)
{
    KeptFamilies families;
    for (const QStringView word : keys.split(u',', Qt::SkipEmptyParts)) {
        const auto family = tagFamilyFromKey(word.trimmed());
        if (!family)
            return std::nullopt;
        families = families.with(*family);
    }
    return families;
}
