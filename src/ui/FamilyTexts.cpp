#include "FamilyTexts.h"

#include <KeepingPlan.h>

#include <QStringList>

namespace FamilyTexts {

QString label(TagFamily family)
{
    switch (family) {
    case TagFamily::location:
        //% "Location"
        return qtTrId("family_location");
    case TagFamily::dates:
        //% "Dates and times"
        return qtTrId("family_dates");
    case TagFamily::people:
        //% "People and credit"
        return qtTrId("family_people");
    case TagFamily::camera:
        //% "Camera and lens"
        return qtTrId("family_camera");
    case TagFamily::serials:
        //% "Serial numbers and counters"
        return qtTrId("family_serials");
    case TagFamily::descriptions:
        //% "Descriptions, titles, keywords and comments"
        return qtTrId("family_descriptions");
    case TagFamily::software:
        //% "Software and edit history"
        return qtTrId("family_software");
    case TagFamily::thumbnails:
        //% "Thumbnails and previews"
        return qtTrId("family_thumbnails");
    case TagFamily::other:
        break;
    }
    //% "Everything else"
    return qtTrId("family_other");
}

QString shortName(TagFamily family)
{
    switch (family) {
    case TagFamily::location:
        //% "location"
        return qtTrId("family_short_location");
    case TagFamily::dates:
        //% "dates"
        return qtTrId("family_short_dates");
    case TagFamily::people:
        //% "credit"
        return qtTrId("family_short_people");
    case TagFamily::camera:
        //% "camera"
        return qtTrId("family_short_camera");
    case TagFamily::serials:
        //% "serials"
        return qtTrId("family_short_serials");
    case TagFamily::descriptions:
        //% "descriptions"
        return qtTrId("family_short_descriptions");
    case TagFamily::software:
        //% "software"
        return qtTrId("family_short_software");
    case TagFamily::thumbnails:
        //% "thumbnails"
        return qtTrId("family_short_thumbnails");
    case TagFamily::other:
        break;
    }
    //% "everything else"
    return qtTrId("family_short_other");
}

QString whereKept(TagFamily family)
{
    const QString kinds = KeepingPlan::kindsThatKeep(family);
    if (kinds.isEmpty())
        //% "Always removed, from every kind of file"
        return qtTrId("family_never_kept");
    //% "Kept only in %1; always removed from other kinds"
    return qtTrId("family_kept_in").arg(kinds);
}

namespace {

QString shortNames(const KeptFamilies &kept)
{
    QStringList names;
    for (const TagFamily family : kept.kept())
        names.append(shortName(family));
    return names.join(QStringLiteral(", "));
}

} // namespace

QString keepingNote(const KeptFamilies &kept)
{
    if (kept.removesEverything())
        return {};
    //% "Keeping: %1"
    return qtTrId("keeping_note").arg(shortNames(kept));
}

QString keptInFileNote(const KeptFamilies &kept)
{
    if (kept.removesEverything())
        return {};
    //% "Kept, as chosen in Settings: %1"
    return qtTrId("kept_in_file_note").arg(shortNames(kept));
}

} // namespace FamilyTexts
