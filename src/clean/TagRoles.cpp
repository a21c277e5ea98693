#include "TagRoles.h"

#include <QSet>
#include <QString>

#include <optional>

namespace {

using Names = QSet<QString>;

struct Key
{
    QStringView group;
    QStringView name;
};

Key split(QStringView key)
{
    const qsizetype colon = key.indexOf(u':');
    if (colon < 0)
        return {{}, key};
    return {key.left(colon), key.mid(colon + 1)};
}

bool in(const Names &names, QStringView name)
{
    return names.contains(name.toString());
}

constexpr TagRole needed(KeptBecause why)
{
    return {ItemRole::needed, why};
}

constexpr TagRole identifying()
{
    return {ItemRole::identifying, KeptBecause::structure};
}

// What the file system says of a file, in any group (a stand-in for the tool
// may list them without one).
const Names &fileSystemTags()
{
    static const Names names {
        QStringLiteral("SourceFile"), QStringLiteral("FileName"), QStringLiteral("Directory"),
        QStringLiteral("FileSize"), QStringLiteral("FileModifyDate"), QStringLiteral("FileAccessDate"),
        QStringLiteral("FileInodeChangeDate"), QStringLiteral("FileCreateDate"), QStringLiteral("FilePermissions"),
        QStringLiteral("FileAttributes"), QStringLiteral("ExifToolVersion"),
    };
    return names;
}

// How exiftool sees the coded picture, the same in every photo.
const Names &fileStructureTags()
{
    static const Names names {
        QStringLiteral("FileType"), QStringLiteral("FileTypeExtension"), QStringLiteral("MIMEType"),
        QStringLiteral("ImageWidth"), QStringLiteral("ImageHeight"), QStringLiteral("EncodingProcess"),
        QStringLiteral("BitsPerSample"), QStringLiteral("ColorComponents"), QStringLiteral("YCbCrSubSampling"),
        QStringLiteral("ExifByteOrder"),
    };
    return names;
}

// What a colour profile may say of itself. Its date, device, maker and
// copyright are taken out; a description that still names its owner is
// caught by the profile's own scrub, which leaves only standard names.
const Names &profileIdentifyingTags()
{
    static const Names names {
        QStringLiteral("ProfileDateTime"), QStringLiteral("ProfileCopyright"), QStringLiteral("DeviceMfgDesc"),
        QStringLiteral("DeviceModelDesc"), QStringLiteral("DeviceManufacturer"), QStringLiteral("DeviceModel"),
        QStringLiteral("ProfileCreator"), QStringLiteral("ProfileID"), QStringLiteral("Copyright"),
    };
    return names;
}

bool isProfileGroup(QStringView group)
{
    return group.startsWith(u"ICC");
}

TagRole photoTag(Key key)
{
    if (key.group == u"File")
        return in(fileStructureTags(), key.name) ? needed(KeptBecause::pixels) : identifying();
    if (key.group == u"IFD0" && key.name == u"Orientation")
        return needed(KeptBecause::orientation);
    // The EXIF block that carries Orientation needs its own framing.
    if (key.group == u"IFD0"
        && (key.name == u"XResolution" || key.name == u"YResolution" || key.name == u"ResolutionUnit"
            || key.name == u"YCbCrPositioning"))
        return needed(KeptBecause::structure);
    if (key.group == u"JFIF" || key.group == u"Adobe")
        return needed(KeptBecause::pixels);
    if (isProfileGroup(key.group))
        return in(profileIdentifyingTags(), key.name) ? identifying() : needed(KeptBecause::colourProfile);
    if (key.group == u"PNG" || key.group.startsWith(u"PNG-")) {
        static const Names structure {
            QStringLiteral("ImageWidth"), QStringLiteral("ImageHeight"), QStringLiteral("BitDepth"),
            QStringLiteral("ColorType"), QStringLiteral("Compression"), QStringLiteral("Filter"),
            QStringLiteral("Interlace"), QStringLiteral("Palette"), QStringLiteral("PixelsPerUnitX"),
            QStringLiteral("PixelsPerUnitY"), QStringLiteral("PixelUnits"),
        };
        static const Names colours {
            QStringLiteral("Gamma"), QStringLiteral("SRGBRendering"), QStringLiteral("WhitePointX"),
            QStringLiteral("WhitePointY"), QStringLiteral("RedX"), QStringLiteral("RedY"), QStringLiteral("GreenX"),
            QStringLiteral("GreenY"), QStringLiteral("BlueX"), QStringLiteral("BlueY"),
            QStringLiteral("SignificantBits"), QStringLiteral("ProfileName"),
        };
        static const Names animation {
            QStringLiteral("AnimationFrames"), QStringLiteral("AnimationPlays"),
        };
        if (in(structure, key.name))
            return needed(KeptBecause::pixels);
        if (in(colours, key.name))
            return needed(KeptBecause::colourSpace);
        if (in(animation, key.name))
            return needed(KeptBecause::animation);
        if (key.name == u"Transparency")
            return needed(KeptBecause::transparency);
        return identifying();
    }
    if (key.group == u"RIFF") {
        static const Names structure {
            QStringLiteral("VP8Version"), QStringLiteral("ImageWidth"), QStringLiteral("ImageHeight"),
            QStringLiteral("HorizontalScale"), QStringLiteral("VerticalScale"), QStringLiteral("WebP_Flags"),
            QStringLiteral("AlphaPreprocessing"), QStringLiteral("AlphaFiltering"), QStringLiteral("AlphaCompression"),
        };
        if (in(structure, key.name))
            return needed(KeptBecause::pixels);
        if (key.name == u"AnimationLoopCount" || key.name == u"BackgroundColor")
            return needed(KeptBecause::animation);
        return identifying();
    }
    if (key.group == u"GIF") {
        static const Names picture {
            QStringLiteral("GIFVersion"), QStringLiteral("ImageWidth"), QStringLiteral("ImageHeight"),
            QStringLiteral("HasColorMap"), QStringLiteral("ColorResolutionDepth"), QStringLiteral("BitsPerPixel"),
            QStringLiteral("BackgroundColor"), QStringLiteral("PixelAspectRatio"),
        };
        static const Names animation {
            QStringLiteral("AnimationIterations"), QStringLiteral("FrameCount"), QStringLiteral("Duration"),
        };
        if (in(picture, key.name))
            return needed(KeptBecause::pixels);
        if (in(animation, key.name))
            return needed(KeptBecause::animation);
        if (key.name == u"TransparentColor")
            return needed(KeptBecause::transparency);
        return identifying();
    }
    // JPEG XL's box container names its brands as JPEG 2000 does.
    if (key.group == u"Jpeg2000"
        && (key.name == u"MajorBrand" || key.name == u"MinorVersion" || key.name == u"CompatibleBrands"))
        return needed(KeptBecause::structure);
    if (key.group == u"QuickTime" || key.group == u"Meta") {
        // HEIF: the brands, the item table's framing and the picture's own
        // coding parameters (HEVC or AV1 configuration, size, rotation).
        static const Names identifyingHere {
            QStringLiteral("HandlerDescription"), QStringLiteral("Make"), QStringLiteral("Model"),
            QStringLiteral("Software"), QStringLiteral("CreateDate"), QStringLiteral("ModifyDate"),
        };
        if (in(identifyingHere, key.name))
            return identifying();
        if (key.name == u"Rotation" || key.name == u"Mirroring")
            return needed(KeptBecause::orientation);
        if (key.name.startsWith(u"Color") || key.name == u"MatrixCoefficients"
            || key.name == u"TransferCharacteristics" || key.name == u"VideoFullRangeFlag")
            return needed(KeptBecause::colourSpace);
        return needed(KeptBecause::pixels);
    }
    return identifying();
}

// A TIFF's directories (IFD0, the pages after it, SubIFDs): what lays out
// and colours the pixels stays, everything else identifies.
TagRole tiffTag(Key key)
{
    if (!key.group.startsWith(u"IFD") && !key.group.startsWith(u"SubIFD"))
        return photoTag(key);
    static const Names pixels {
        QStringLiteral("SubfileType"), QStringLiteral("OldSubfileType"), QStringLiteral("ImageWidth"),
        QStringLiteral("ImageHeight"), QStringLiteral("BitsPerSample"), QStringLiteral("Compression"),
        QStringLiteral("PhotometricInterpretation"), QStringLiteral("Thresholding"), QStringLiteral("FillOrder"),
        QStringLiteral("StripOffsets"), QStringLiteral("SamplesPerPixel"), QStringLiteral("RowsPerStrip"),
        QStringLiteral("StripByteCounts"), QStringLiteral("MinSampleValue"), QStringLiteral("MaxSampleValue"),
        QStringLiteral("XResolution"), QStringLiteral("YResolution"), QStringLiteral("PlanarConfiguration"),
        QStringLiteral("ResolutionUnit"), QStringLiteral("PageNumber"), QStringLiteral("Predictor"),
        QStringLiteral("ColorMap"), QStringLiteral("HalftoneHints"), QStringLiteral("TileWidth"),
        QStringLiteral("TileLength"), QStringLiteral("TileOffsets"), QStringLiteral("TileByteCounts"),
        QStringLiteral("InkSet"), QStringLiteral("SampleFormat"), QStringLiteral("SMinSampleValue"),
        QStringLiteral("SMaxSampleValue"), QStringLiteral("JPEGTables"), QStringLiteral("YCbCrSubSampling"),
        QStringLiteral("YCbCrPositioning"), QStringLiteral("T4Options"), QStringLiteral("T6Options"),
        QStringLiteral("GrayResponseUnit"), QStringLiteral("GrayResponseCurve"),
    };
    static const Names colours {
        QStringLiteral("WhitePoint"), QStringLiteral("PrimaryChromaticities"), QStringLiteral("TransferFunction"),
        QStringLiteral("YCbCrCoefficients"), QStringLiteral("ReferenceBlackWhite"),
    };
    if (key.name == u"Orientation")
        return needed(KeptBecause::orientation);
    if (key.name == u"ExtraSamples")
        return needed(KeptBecause::transparency);
    if (in(colours, key.name))
        return needed(KeptBecause::colourSpace);
    return in(pixels, key.name) ? needed(KeptBecause::pixels) : identifying();
}

// Audio is judged by what is allowed, as photos are: the coding parameters
// of the frames and stream headers stay, every tag format's fields go.
TagRole audioTag(Key key)
{
    if (key.group == u"File")
        return in(fileStructureTags(), key.name) ? needed(KeptBecause::media) : identifying();
    // Frame headers: their copyright and original bits are coded in every frame.
    if (key.group == u"MPEG" || key.group == u"Opus")
        return needed(KeptBecause::media);
    if (key.group == u"FLAC")
        return key.name.startsWith(u"Picture") ? identifying() : needed(KeptBecause::media);
    static const Names vorbis {
        QStringLiteral("VorbisVersion"), QStringLiteral("AudioChannels"), QStringLiteral("SampleRate"),
        QStringLiteral("NominalBitrate"), QStringLiteral("MaxBitrate"), QStringLiteral("MinBitrate"),
    };
    if (key.group == u"Vorbis")
        return in(vorbis, key.name) ? needed(KeptBecause::media) : identifying();
    static const Names wave {
        QStringLiteral("Encoding"), QStringLiteral("NumChannels"), QStringLiteral("SampleRate"),
        QStringLiteral("AvgBytesPerSec"), QStringLiteral("BitsPerSample"), QStringLiteral("NumSampleFrames"),
    };
    if (key.group == u"RIFF")
        return in(wave, key.name) ? needed(KeptBecause::media) : identifying();
    return identifying();
}

// A drawing's own title and description are its content (what a screen
// reader says of it); the editors' groups and XMP are notes about it.
TagRole drawingTag(Key key)
{
    if (key.group == u"File")
        return in(fileStructureTags(), key.name) ? needed(KeptBecause::pixels) : identifying();
    if (key.group != u"SVG" || key.name == u"MetadataID")
        return identifying();
    if (key.name == u"Title" || key.name == u"Desc")
        return {ItemRole::content, KeptBecause::content};
    return needed(KeptBecause::pixels);
}

// Tags that name a person, a place, a time or one device, whatever group
// holds them.
const Names &identifyingNames()
{
    static const Names names {
        QStringLiteral("Artist"), QStringLiteral("Author"), QStringLiteral("Creator"), QStringLiteral("Copyright"),
        QStringLiteral("CopyrightNotice"), QStringLiteral("Rights"), QStringLiteral("OwnerName"),
        QStringLiteral("CameraOwnerName"), QStringLiteral("ImageDescription"), QStringLiteral("UserComment"),
        QStringLiteral("Comment"), QStringLiteral("Title"), QStringLiteral("Subject"), QStringLiteral("Keywords"),
        QStringLiteral("XPTitle"), QStringLiteral("XPComment"), QStringLiteral("XPAuthor"), QStringLiteral("XPKeywords"),
        QStringLiteral("XPSubject"), QStringLiteral("HostComputer"), QStringLiteral("DocumentName"),
        QStringLiteral("DateTimeOriginal"), QStringLiteral("CreateDate"), QStringLiteral("ModifyDate"),
        QStringLiteral("DateTimeDigitized"), QStringLiteral("SubSecTime"), QStringLiteral("SubSecTimeOriginal"),
        QStringLiteral("SubSecTimeDigitized"), QStringLiteral("OffsetTime"), QStringLiteral("OffsetTimeOriginal"),
        QStringLiteral("OffsetTimeDigitized"), QStringLiteral("TrackCreateDate"), QStringLiteral("TrackModifyDate"),
        QStringLiteral("MediaCreateDate"), QStringLiteral("MediaModifyDate"), QStringLiteral("DateUTC"),
        QStringLiteral("SerialNumber"), QStringLiteral("BodySerialNumber"), QStringLiteral("InternalSerialNumber"),
        QStringLiteral("LensSerialNumber"), QStringLiteral("CameraSerialNumber"), QStringLiteral("ImageUniqueID"),
        QStringLiteral("OriginalRawFileName"), QStringLiteral("FileNumber"), QStringLiteral("Producer"),
        QStringLiteral("PDFProducer"), QStringLiteral("Encoder"), QStringLiteral("WritingApp"),
        QStringLiteral("MuxingApp"), QStringLiteral("AttachedFileName"), QStringLiteral("AttachedFileDescription"),
        QStringLiteral("TrackName"), QStringLiteral("Description"), QStringLiteral("TimeZoneCity"),
    };
    return names;
}

// Groups that hold nothing a picture, a sound or a page needs.
bool isMetadataGroup(QStringView group)
{
    return group == u"GPS" || group.startsWith(u"XMP") || group == u"IPTC" || group == u"Photoshop"
        || group == u"UserData" || group == u"ItemList" || group == u"Keys" || group == u"Microsoft"
        || group == u"PDF-Info";
}

bool isFontName(QStringView name)
{
    return name.endsWith(u".ttf", Qt::CaseInsensitive) || name.endsWith(u".otf", Qt::CaseInsensitive)
        || name.endsWith(u".ttc", Qt::CaseInsensitive) || name.endsWith(u".woff", Qt::CaseInsensitive)
        || name.endsWith(u".woff2", Qt::CaseInsensitive);
}

TagRole describedTag(SupportedFormat format, Key key, QStringView value)
{
    // What our own clean writes in place of the muxing and writing
    // applications names no one.
    if ((key.name == u"WritingApp" || key.name == u"MuxingApp") && value == u"Tessaly")
        return needed(KeptBecause::structure);
    // Fonts stay for the subtitles that use them.
    if (format == SupportedFormat::mkv && key.name == u"AttachedFileName" && isFontName(value))
        return needed(KeptBecause::media);
    if (isMetadataGroup(key.group) || in(identifyingNames(), key.name) || key.name.startsWith(u"GPS"))
        return identifying();
    if (key.group == u"File" && key.name == u"Comment")
        return identifying();
    if (isProfileGroup(key.group))
        return in(profileIdentifyingTags(), key.name) ? identifying() : needed(KeptBecause::colourProfile);
    if (key.name == u"Orientation")
        return needed(KeptBecause::orientation);
    switch (groupOf(format)) {
    case FormatGroup::video:
    case FormatGroup::audio:
        return needed(KeptBecause::media);
    case FormatGroup::document:
    case FormatGroup::office:
    case FormatGroup::ebook:
    case FormatGroup::drawing:
        return needed(KeptBecause::structure);
    case FormatGroup::image:
        break;
    }
    return needed(KeptBecause::pixels);
}

// Office documents and e-books: the ZIP's dates are the archive's own, and
// an e-book's package metadata (title, author, language, publisher) is the
// book's content, which the writer lists as kept; which of its entries are
// an editing tool's traces the walk of the package decides.
std::optional<TagRole> archiveTag(SupportedFormat format, Key key, QStringView value)
{
    if (key.name == u"ZipModifyDate")
        return value == u"1980:01:01 00:00:00" ? needed(KeptBecause::structure) : identifying();
    if (format == SupportedFormat::epub && key.group.startsWith(u"XML"))
        return needed(KeptBecause::structure);
    return std::nullopt;
}

} // namespace

bool isOutsideTheFile(QStringView key)
{
    const Key parts = split(key);
    return parts.group == u"System" || parts.group == u"Composite" || in(fileSystemTags(), parts.name);
}

bool isToolRemark(QStringView key)
{
    return split(key).group == u"ExifTool";
}

bool saysNothing(QStringView value)
{
    for (const QChar c : value) {
        if (c != u'0' && c != u' ' && c != u':' && c != u'-' && c != u'.' && c != u'+' && c != u'\0')
            return false;
    }
    return true;
}

TagRole roleOfTag(SupportedFormat format, QStringView key, QStringView value)
{
    const Key parts = split(key);
    if (saysNothing(value))
        return needed(KeptBecause::structure);
    // Canon shows a zeroed file number as its folder number and four zeros.
    if (parts.name == u"FileNumber" && value.contains(u'-') && saysNothing(value.mid(value.indexOf(u'-') + 1)))
        return needed(KeptBecause::structure);
    // Serials and dates a raw decoder needs are kept with their reason; see
    // the strip plan (Nikon's serial and shutter count are its colour key).
    if (format == SupportedFormat::nef && parts.group == u"Nikon"
        && (parts.name == u"SerialNumber" || parts.name == u"ShutterCount"))
        return needed(KeptBecause::pixels);
    switch (format) {
    case SupportedFormat::jpg:
    case SupportedFormat::jpeg:
    case SupportedFormat::png:
    case SupportedFormat::webp:
    case SupportedFormat::heic:
    case SupportedFormat::avif:
    case SupportedFormat::gif:
    case SupportedFormat::jxl:
        return photoTag(parts);
    case SupportedFormat::tif:
    case SupportedFormat::tiff:
        return tiffTag(parts);
    case SupportedFormat::mp3:
    case SupportedFormat::flac:
    case SupportedFormat::ogg:
    case SupportedFormat::opus:
    case SupportedFormat::wav:
        return audioTag(parts);
    case SupportedFormat::svg:
        return drawingTag(parts);
    default:
        if (const FormatGroup group = groupOf(format); group == FormatGroup::office || group == FormatGroup::ebook) {
            if (const auto archived = archiveTag(format, parts, value))
                return *archived;
        }
        return describedTag(format, parts, value);
    }
}
