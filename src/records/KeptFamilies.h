#pragma once

#include "TagFamily.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Which families of metadata a clean leaves in the file, by the person's
// choice. Default-constructed it keeps nothing: everything is removed, which
// is the safe default and the only answer for a kind that cannot keep a family.
class KeptFamilies
{
public:
    KeptFamilies() = default;
    // The "Only the location" preset: every family but the location stays.
    static KeptFamilies allButLocation();

    bool keeps(TagFamily family) const { return m_bits & bit(family); }
    KeptFamilies with(TagFamily family, bool kept = true) const;
    bool removesEverything() const { return m_bits == 0; }
    QList<TagFamily> kept() const;

    // "dates,people"; empty when everything is removed.
    QString toKeys() const;
    // Words as toKeys() writes them, separated by commas; an empty text keeps
    // nothing. An unknown word makes the whole text unreadable.
    static std::optional<KeptFamilies> fromKeys(QStringView keys);

    friend bool operator==(const KeptFamilies &, const KeptFamilies &) = default;

private:
    static constexpr unsigned bit(TagFamily family) { return 1u << unsigned(family); }

    unsigned m_bits = 0;
};
