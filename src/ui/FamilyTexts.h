#pragma once

#include <KeptFamilies.h>

#include <QString>

// What the person reads about the families of metadata: the boxes under
// "What to remove", where a family can be kept at all, and the window's
// note while something is kept.
namespace FamilyTexts {

// "Dates and times"
QString label(TagFamily family);
// "dates", as the note lists it
QString shortName(TagFamily family);
// "Kept only in JPG, PNG, …; always removed from other kinds", or that every kind removes it.
QString whereKept(TagFamily family);
// "Keeping: dates, credit"; empty when everything is removed.
QString keepingNote(const KeptFamilies &kept);
// The log's header for a file cleaned with such a choice: "Kept, as chosen in Settings: dates, credit".
QString keptInFileNote(const KeptFamilies &kept);

} // namespace FamilyTexts
