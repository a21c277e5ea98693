#include "KeepingPlan.h"

#include "TagFamilies.h"

namespace KeepingPlan {

namespace {

bool isPhoto(SupportedFormat format)
{
    return format == SupportedFormat::jpg || format == SupportedFormat::jpeg || format == SupportedFormat::png
        || format == SupportedFormat::heic;
}

bool isMovie(SupportedFormat format)
{
    return format == SupportedFormat::mp4 || format == SupportedFormat::mov;
}

bool isTiffRaw(SupportedFormat format)
{
    return format == SupportedFormat::cr2 || format == SupportedFormat::nef || format == SupportedFormat::arw
        || format == SupportedFormat::dng;
}

// Each family's tags by name. Serial numbers and unique IDs are named in
// their own list only; maker notes in none, since they carry serials.
QStringList tagsOf(TagFamily family)
{
    switch (family) {
    case TagFamily::location:
        return {"-GPS:all", "-XMP-exif:GPS*", "-GPSCoordinates", "-LocationInformation", "-City", "-State",
                "-Country", "-CountryCode", "-Sub-location", "-Province-State", "-Country-PrimaryLocationName",
                "-Location"};
    case TagFamily::dates:
        return {"-DateTimeOriginal", "-CreateDate", "-ModifyDate", "-SubSecTime", "-SubSecTimeOriginal",
                "-SubSecTimeDigitized", "-OffsetTime", "-OffsetTimeOriginal", "-OffsetTimeDigitized",
                "-DateCreated", "-TimeCreated", "-CreationDate", "-ContentCreateDate", "-MetadataDate"};
    case TagFamily::people:
        return {"-Artist", "-Author", "-Creator", "-Copyright", "-Rights", "-OwnerName", "-CameraOwnerName",
                "-XPAuthor", "-By-line", "-CopyrightNotice", "-Credit"};
    case TagFamily::camera:
        return {"-Make", "-Model", "-LensMake", "-LensModel", "-LensInfo", "-FocalLength",
                "-FocalLengthIn35mmFormat", "-FNumber", "-ApertureValue", "-MaxApertureValue", "-ExposureTime",
                "-ShutterSpeedValue", "-ISO", "-ExposureProgram", "-ExposureMode", "-ExposureCompensation", "-Flash",
                "-MeteringMode", "-WhiteBalance", "-SceneCaptureType"};
    case TagFamily::serials:
        return {"-SerialNumber", "-BodySerialNumber", "-LensSerialNumber", "-InternalSerialNumber",
                "-CameraSerialNumber", "-ImageUniqueID", "-DocumentID", "-InstanceID", "-OriginalDocumentID"};
    case TagFamily::descriptions:
        return {"-ImageDescription", "-UserComment", "-Title", "-Description", "-Subject", "-Keywords",
                "-XPTitle", "-XPComment", "-XPKeywords", "-XPSubject", "-Caption-Abstract", "-Headline",
                "-ObjectName", "-Comment"};
    case TagFamily::software:
        return {"-Software", "-CreatorTool", "-ProcessingSoftware", "-HostComputer", "-Encoder"};
    case TagFamily::thumbnails:
        return {"-ThumbnailImage"};
    case TagFamily::other:
        break;
    }
    return {};
}

// "-Canon:SerialNumber=0" -> "Canon:SerialNumber"; nothing for what is not a deletion.
QString deletedKey(const QString &argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    if (!argument.startsWith(u'-') || equals < 0)
        return {};
    return argument.mid(1, equals - 1);
}

} // namespace

bool canKeep(SupportedFormat format, TagFamily family)
{
    switch (family) {
    case TagFamily::other:
        return false;
    case TagFamily::thumbnails:
        // Only a JPEG carries its thumbnail where exiftool can write it back.
        return format == SupportedFormat::jpg || format == SupportedFormat::jpeg;
    default:
        return isPhoto(format) || isMovie(format) || isTiffRaw(format);
    }
}

KeptFamilies keptFor(SupportedFormat format, const KeptFamilies &chosen)
{
    KeptFamilies kept;
    for (const TagFamily family : chosen.kept())
        kept = kept.with(family, canKeep(format, family));
    return kept;
}

QStringList keepingArguments(const QStringList &planArguments, const KeptFamilies &kept)
{
    if (kept.removesEverything())
        return planArguments;
    QStringList arguments;
    for (const QString &argument : planArguments) {
        const QString key = deletedKey(argument);
        // A whole group ("-XMP:all=") goes as planned: the copy below brings back what is kept of it.
        if (!key.isEmpty() && !key.endsWith(QLatin1String(":all")) && kept.keeps(familyOfTag(key)))
            continue;
        arguments.append(argument);
    }
    arguments << QStringLiteral("-tagsFromFile") << QStringLiteral("@");
    return arguments + copiedTags(kept);
}

QStringList copiedTags(const KeptFamilies &kept)
{
    QStringList tags;
    for (const TagFamily family : kept.kept()) {
        // "-*:Make": each copy goes back to the group it came from (a phone's
        // movie keys stay keys), not to the group exiftool would prefer.
        for (const QString &tag : tagsOf(family))
            tags.append(tag.contains(u':') ? tag : QStringLiteral("-*:") + tag.mid(1));
    }
    return tags;
}

QString kindsThatKeep(TagFamily family)
{
    QStringList kinds;
    for (const SupportedFormat format : allSupportedFormats) {
        const QString name = rawValue(format).toUpper();
        if (canKeep(format, family) && !kinds.contains(name))
            kinds.append(name);
    }
    return kinds.join(QStringLiteral(", "));
}

} // namespace KeepingPlan
