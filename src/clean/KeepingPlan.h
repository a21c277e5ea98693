#pragma once

#include <KeptFamilies.h>
#include <SupportedFormat.h>

#include <QString>
#include <QStringList>

// How a clean leaves the families the person chose to keep. The writers
// strip as they always do; what is kept is then copied back from the
// original by exiftool, by name, from lists that hold no serial but the
// serials' own. A family a kind cannot keep is removed there as before, and
// Settings says so.
namespace KeepingPlan {

// Whether a clean of this kind can leave the family in the file.
bool canKeep(SupportedFormat format, TagFamily family);
// Of `chosen`, what this kind can keep.
KeptFamilies keptFor(SupportedFormat format, const KeptFamilies &chosen);

// The plan's own arguments without the deletions of kept tags (`-Artist=`,
// `-Canon:SerialNumber=0`), then exiftool's copy of the kept tags from the
// file it reads (`-tagsFromFile @ ...`).
QStringList keepingArguments(const QStringList &planArguments, const KeptFamilies &kept);

// The tags of the kept families, as exiftool copies them from another file.
QStringList copiedTags(const KeptFamilies &kept);

// The kinds a family can be kept in, named for a person ("JPG, PNG, MP4");
// empty when every kind removes it.
QString kindsThatKeep(TagFamily family);

} // namespace KeepingPlan
