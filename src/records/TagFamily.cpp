#include "TagFamily.h"

QString keyOf(TagFamily family)
{
    switch (family) {
    case TagFamily::location: return QStringLiteral("location");
    case TagFamily::dates: return QStringLiteral("dates");
    case TagFamily::people: return QStringLiteral("people");
    case TagFamily::camera: return QStringLiteral("camera");
    case TagFamily::serials: return QStringLiteral("serials");
    case TagFamily::descriptions: return QStringLiteral("descriptions");
    case TagFamily::software: return QStringLiteral("software");
    case TagFamily::thumbnails: return QStringLiteral("thumbnails");
    case TagFamily::other: return QStringLiteral("other");
    }
    return {};
}

std::optional<TagFamily> tagFamilyFromKey(QStringView key)
{
    for (const TagFamily family : allTagFamilies) {
        if (key == keyOf(family))
            return family;
    }
    return std::nullopt;
}
