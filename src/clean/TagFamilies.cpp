#include "TagFamilies.h"

#include <ContainerText.h>

#include <QSet>
#include <QString>

namespace {

using Names = QSet<QString>;

bool in(const Names &names, QStringView name)
{
    return names.contains(name.toString());
}

bool startsWithAny(QStringView name, std::initializer_list<const char16_t *> prefixes)
{
    for (const char16_t *prefix : prefixes) {
        if (name.startsWith(QStringView(prefix)))
            return true;
    }
    return false;
}

QStringView groupOf(QStringView key)
{
    const qsizetype colon = key.indexOf(u':');
    return colon < 0 ? QStringView() : key.left(colon);
}

QStringView nameOf(QStringView key)
{
    const qsizetype colon = key.indexOf(u':');
    return colon < 0 ? key : key.mid(colon + 1);
}

bool isSerial(QStringView name)
{
    static const Names names {
        QStringLiteral("ImageUniqueID"), QStringLiteral("FileNumber"), QStringLiteral("ShutterCount"),
        QStringLiteral("ImageCount"), QStringLiteral("ImageNumber"), QStringLiteral("DocumentID"),
        QStringLiteral("InstanceID"), QStringLiteral("OriginalDocumentID"), QStringLiteral("ContentIdentifier"),
        QStringLiteral("MediaGroupUUID"), QStringLiteral("SegmentUID"), QStringLiteral("PrevUID"),
        QStringLiteral("NextUID"), QStringLiteral("OriginalRawFileName"), QStringLiteral("DerivedFromDocumentID"),
        QStringLiteral("DerivedFromInstanceID"), QStringLiteral("DocumentAncestors"), QStringLiteral("UniqueID"),
    };
    return name.contains(u"Serial", Qt::CaseInsensitive) || name.endsWith(u"UUID") || in(names, name);
}

bool isLocation(QStringView group, QStringView name)
{
    static const Names names {
        QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Country"), QStringLiteral("CountryCode"),
        QStringLiteral("Sub-location"), QStringLiteral("Province-State"),
        QStringLiteral("Country-PrimaryLocationName"), QStringLiteral("Country-PrimaryLocationCode"),
    };
    return group == u"GPS" || name.startsWith(u"GPS") || name.startsWith(u"Location") || in(names, name);
}

bool isDate(QStringView name)
{
    return name.contains(u"Date") || startsWithAny(name, {u"SubSecTime", u"OffsetTime", u"TimeZone", u"TimeCreated"});
}

bool isPerson(QStringView name)
{
    static const Names names {
        QStringLiteral("Artist"), QStringLiteral("Author"), QStringLiteral("Creator"), QStringLiteral("Rights"),
        QStringLiteral("OwnerName"), QStringLiteral("CameraOwnerName"), QStringLiteral("XPAuthor"),
        QStringLiteral("Credit"), QStringLiteral("Publisher"), QStringLiteral("LastModifiedBy"),
        QStringLiteral("AuthorsPosition"), QStringLiteral("CaptionWriter"), QStringLiteral("Owner"),
    };
    return in(names, name) || startsWithAny(name, {u"Copyright", u"By-line", u"Contact", u"CreatorContact",
                                                   u"CreatorAddress", u"CreatorCity", u"CreatorWork"});
}

bool isSoftware(QStringView group, QStringView name)
{
    static const Names names {
        QStringLiteral("Software"), QStringLiteral("CreatorTool"), QStringLiteral("Producer"),
        QStringLiteral("PDFProducer"), QStringLiteral("Encoder"), QStringLiteral("WritingApp"),
        QStringLiteral("MuxingApp"), QStringLiteral("ProcessingSoftware"), QStringLiteral("HostComputer"),
        QStringLiteral("HandlerDescription"), QStringLiteral("CompressorName"), QStringLiteral("EncodedBy"),
    };
    return group == u"XMP-xmpMM" || in(names, name) || name.startsWith(u"History");
}

bool isCamera(QStringView name)
{
    static const Names names {
        QStringLiteral("Make"), QStringLiteral("Model"), QStringLiteral("UniqueCameraModel"),
        QStringLiteral("LocalizedCameraModel"), QStringLiteral("FNumber"), QStringLiteral("ApertureValue"),
        QStringLiteral("MaxApertureValue"), QStringLiteral("ShutterSpeedValue"), QStringLiteral("MeteringMode"),
        QStringLiteral("WhiteBalance"), QStringLiteral("SceneCaptureType"), QStringLiteral("DigitalZoomRatio"),
        QStringLiteral("SensingMethod"), QStringLiteral("BrightnessValue"), QStringLiteral("SubjectDistance"),
        QStringLiteral("SubjectDistanceRange"), QStringLiteral("Contrast"), QStringLiteral("Saturation"),
        QStringLiteral("Sharpness"), QStringLiteral("GainControl"), QStringLiteral("LightSource"),
        QStringLiteral("SensitivityType"), QStringLiteral("RecommendedExposureIndex"), QStringLiteral("CameraType"),
    };
    return in(names, name) || startsWithAny(name, {u"Lens", u"FocalLength", u"Exposure", u"ISO", u"Flash"});
}

bool isDescription(QStringView name)
{
    static const Names names {
        QStringLiteral("ImageDescription"), QStringLiteral("UserComment"), QStringLiteral("Comment"),
        QStringLiteral("Title"), QStringLiteral("Subject"), QStringLiteral("Keywords"), QStringLiteral("Description"),
        QStringLiteral("Headline"), QStringLiteral("ObjectName"), QStringLiteral("Label"),
        QStringLiteral("DocumentName"), QStringLiteral("TrackName"), QStringLiteral("Caption-Abstract"),
        QStringLiteral("Instructions"), QStringLiteral("Album"), QStringLiteral("Genre"),
    };
    return in(names, name) || startsWithAny(name, {u"XPTitle", u"XPComment", u"XPKeywords", u"XPSubject"});
}

bool isThumbnail(QStringView group, QStringView name)
{
    return group == u"IFD1" || name.startsWith(u"Thumbnail") || name.startsWith(u"Preview")
        || name == u"OtherImage";
}

// Blocks a camera or program keeps for itself: whatever they hold is theirs.
bool isPrivateGroup(QStringView group)
{
    static const Names groups {
        QStringLiteral("MakerNotes"), QStringLiteral("Canon"), QStringLiteral("Nikon"), QStringLiteral("Sony"),
        QStringLiteral("Apple"), QStringLiteral("Samsung"), QStringLiteral("Olympus"), QStringLiteral("Panasonic"),
        QStringLiteral("FujiFilm"), QStringLiteral("Pentax"), QStringLiteral("Unknown"),
    };
    return in(groups, group) || group.startsWith(u"Canon") || group.startsWith(u"Nikon") || group.startsWith(u"Sony");
}

} // namespace

TagFamily familyOfTag(QStringView key)
{
    const QStringView group = groupOf(key), name = nameOf(key);
    if (isSerial(name))
        return TagFamily::serials;
    // A name exiftool does not know ("Exif_0x9999") is never anyone's choice.
    if (name.contains(u"_0x") || name.startsWith(u"Unknown"))
        return TagFamily::other;
    if (isLocation(group, name))
        return TagFamily::location;
    if (isPrivateGroup(group)) {
        // What a maker note says of its owner is still a person's name; the
        // rest of it is the maker's own.
        return isPerson(name) ? TagFamily::people : TagFamily::other;
    }
    if (isDate(name))
        return TagFamily::dates;
    if (isSoftware(group, name))
        return TagFamily::software;
    if (isPerson(name))
        return TagFamily::people;
    if (isCamera(name))
        return TagFamily::camera;
    if (isDescription(name))
        return TagFamily::descriptions;
    if (isThumbnail(group, name))
        return TagFamily::thumbnails;
    return TagFamily::other;
}

bool isFramingTag(QStringView key)
{
    static const Names names {
        QStringLiteral("ExifVersion"), QStringLiteral("FlashpixVersion"), QStringLiteral("ComponentsConfiguration"),
        QStringLiteral("ColorSpace"), QStringLiteral("GPSVersionID"), QStringLiteral("InteropIndex"),
        QStringLiteral("InteropVersion"), QStringLiteral("XMPToolkit"), QStringLiteral("ExifImageWidth"),
        QStringLiteral("ExifImageHeight"), QStringLiteral("ResolutionUnit"), QStringLiteral("XResolution"),
        QStringLiteral("YResolution"), QStringLiteral("YCbCrPositioning"), QStringLiteral("ApplicationRecordVersion"),
        QStringLiteral("CodedCharacterSet"), QStringLiteral("EnvelopeRecordVersion"),
    };
    const QStringView group = groupOf(key);
    return in(names, nameOf(key)) && !isPrivateGroup(group);
}

std::optional<TagFamily> familyOfPiece(SupportedFormat format, const ContainerItem &piece)
{
    const QByteArray &type = piece.type;
    switch (groupOf(format)) {
    case FormatGroup::video:
        if (type == "mvhd" || type == "tkhd" || type == "mdhd")
            return TagFamily::dates;
        if (type == "udta" || type == "meta" || type.startsWith("\xa9") || type == "XMP_" || type == "uuid")
            return std::nullopt;
        if (type == "hdlr" || type == "avc1" || type == "hvc1" || type == "hev1" || type == "mp4v"
            || type == "SEI" || type == "FIL" || type == "VorbisComment")
            return TagFamily::software;
        return TagFamily::other;
    case FormatGroup::image:
        break;
    default:
        return TagFamily::other;
    }
    // JPEG APP1 (EXIF, XMP), APP13 (IPTC); PNG eXIf and text chunks; HEIF Exif and XMP items.
    if (type == "APP1" || type == "APP13" || type == "eXIf" || type == "iTXt" || type == "tEXt" || type == "zTXt"
        || type == "Exif" || type == "mime" || type == "EXIF" || type == "XMP " || type == "XMP" || type == "IPTC"
        || type == "Photoshop")
        return std::nullopt;
    if (type == "COM")
        return TagFamily::descriptions;
    if (type == "tIME")
        return TagFamily::dates;
    // A raw's TIFF entries are named as their tags; those of its GPS
    // directory by number alone.
    if (piece.place == ContainerText::translated("tiff_gps_ifd", "GPS IFD"))
        return TagFamily::location;
    return familyOfTag(QString::fromLatin1(type));
}
