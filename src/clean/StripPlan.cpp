#include "StripPlan.h"

namespace {

// Camera raws: exiftool cannot delete their IFD0 (and must not: the decoder
// needs Make, Model and the image tags), so `-all=` leaves most of it, and a
// CR2 not a byte less. What identifies a person, place or time is deleted by
// name; nothing a decoder reads to draw the picture is touched. Software
// stays for that reason: raw decoders change course on what it names.
// Per format, for the serials and shot counters that tie a picture to one body:
// - CR2, CR3: the serial is zeroed, not removed, as measured safe on a real
//   CR2; the file number (a running shot count, "100-5952") is zeroed: no
//   decoder reads it, and exiftool keeps the field itself (it cannot delete it). In a CR3 `-CreateDate=` also
//   zeroes the movie header's dates.
// - NEF: the serial number and the shutter count stay. Nikon encrypts its
//   colour balance with both as the key; without them the picture decodes
//   with wrong colours.
// - ARW: Sony's shutter count sits in enciphered maker-note blocks that
//   exiftool cannot rewrite; it stays. The body serial in the EXIF block goes.
// - DNG: no maker-note counters of its own; the EXIF serials go.
const QStringList rawIdentifyingTags {
    QStringLiteral("-XMP:all="), QStringLiteral("-GPS:all="), QStringLiteral("-IPTC:all="),
    QStringLiteral("-Photoshop:all="),
    QStringLiteral("-ModifyDate="), QStringLiteral("-DateTimeOriginal="), QStringLiteral("-CreateDate="),
    QStringLiteral("-SubSecTime="), QStringLiteral("-SubSecTimeOriginal="), QStringLiteral("-SubSecTimeDigitized="),
    QStringLiteral("-OffsetTime="), QStringLiteral("-OffsetTimeOriginal="), QStringLiteral("-OffsetTimeDigitized="),
    QStringLiteral("-Artist="), QStringLiteral("-Copyright="), QStringLiteral("-ImageDescription="),
    QStringLiteral("-UserComment="), QStringLiteral("-XPAuthor="), QStringLiteral("-XPComment="),
    QStringLiteral("-XPTitle="), QStringLiteral("-XPSubject="), QStringLiteral("-XPKeywords="),
    QStringLiteral("-ExifIFD:OwnerName="), QStringLiteral("-ExifIFD:SerialNumber="),
    QStringLiteral("-ExifIFD:LensSerialNumber="), QStringLiteral("-ImageUniqueID="),
    QStringLiteral("-CameraSerialNumber="), QStringLiteral("-OriginalRawFileName="),
    QStringLiteral("-Canon:OwnerName="), QStringLiteral("-Canon:InternalSerialNumber="),
    QStringLiteral("-Canon:SerialNumber=0"), QStringLiteral("-Canon:FileNumber=0"),
};

// The list above without Canon's own fields, for the kinds that are not Canon's.
QStringList withoutCanonFields(const QStringList &arguments)
{
    QStringList kept = arguments;
    kept.removeIf([](const QString &argument) { return argument.startsWith(QLatin1String("-Canon:")); });
    return kept;
}

// The same for the raws exiftool writes without a special case of their own:
// Olympus, Panasonic, Pentax and Samsung. Their maker notes stay (decoders
// read them) but lose the serials and owner exiftool can delete there.
const QStringList otherRawIdentifyingTags = withoutCanonFields(rawIdentifyingTags) + QStringList {
    QStringLiteral("-MakerNotes:SerialNumber="), QStringLiteral("-MakerNotes:InternalSerialNumber="),
    QStringLiteral("-MakerNotes:OwnerName="), QStringLiteral("-MakerNotes:LensSerialNumber="),
};

// A TIFF's IFD0 is the picture's own directory: `-all=` cannot delete it, so
// what names its maker, its software, a person or a time is deleted by name.
// No TIFF reader needs Make, Model or Software to draw the picture. The colour
// profile stays, to be scrubbed where it lies.
const QStringList tiffIdentifyingTags = withoutCanonFields(rawIdentifyingTags) + QStringList {
    QStringLiteral("--ICC_Profile:all"),
    QStringLiteral("-Make="), QStringLiteral("-Model="), QStringLiteral("-Software="),
    QStringLiteral("-HostComputer="), QStringLiteral("-DocumentName="), QStringLiteral("-PageName="),
};

// `-all=` keeps the fixed-size date fields of the movie, track and media
// headers; deleting them writes zero.
const QStringList movieHeaderDates {
    QStringLiteral("-CreateDate="), QStringLiteral("-ModifyDate="),
    QStringLiteral("-TrackCreateDate="), QStringLiteral("-TrackModifyDate="),
    QStringLiteral("-MediaCreateDate="), QStringLiteral("-MediaModifyDate="),
};

bool isTiff(const QByteArray &head)
{
    return head.startsWith(QByteArrayLiteral("II*\0")) || head.startsWith(QByteArrayLiteral("MM\0*"));
}

// Olympus writes "IIRO", "MMOR" or "IIRS" in place of TIFF's magic number,
// Panasonic "IIU\0".
bool isOlympusRaw(const QByteArray &head)
{
    return head.startsWith("IIRO") || head.startsWith("MMOR") || head.startsWith("IIRS");
}

bool isPanasonicRaw(const QByteArray &head)
{
    return head.startsWith(QByteArrayLiteral("IIU\0"));
}

bool isFujifilmRaw(const QByteArray &head)
{
    return head.startsWith("FUJIFILMCCD-RAW");
}

bool isGif(const QByteArray &head)
{
    return head.startsWith("GIF87a") || head.startsWith("GIF89a");
}

// A bare codestream or the box container's signature box.
bool isJpegXl(const QByteArray &head)
{
    return head.startsWith("\xff\x0a") || head.startsWith(QByteArrayLiteral("\0\0\0\x0cJXL \r\n\x87\n"));
}

// AVIF's brand, major or among the compatible ones ("mif1" files list it there).
bool isAvif(const QByteArray &head)
{
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return false;
    const qsizetype size = qsizetype(quint8(head[0])) << 24 | quint8(head[1]) << 16 | quint8(head[2]) << 8 | quint8(head[3]);
    for (qsizetype at = 8; at + 4 <= qMin(size, head.size()); at += at == 8 ? 8 : 4) {
        const QByteArray brand = head.mid(at, 4);
        if (brand == "avif" || brand == "avis")
            return true;
    }
    return false;
}

bool isMatroska(const QByteArray &head)
{
    return head.startsWith(QByteArrayLiteral("\x1a\x45\xdf\xa3"));
}

bool isCanonCr3(const QByteArray &head)
{
    return head.mid(4, 8) == QByteArrayLiteral("ftypcrx ");
}

} // namespace

StripPlan stripPlanFor(SupportedFormat format)
{
    StripPlan plan;
    switch (format) {
    case SupportedFormat::jpg:
    case SupportedFormat::jpeg:
    case SupportedFormat::png:
    case SupportedFormat::webp:
        plan.method = CleaningMethod::native;
        break;
    case SupportedFormat::heic:
        plan.method = CleaningMethod::heif;
        break;
    case SupportedFormat::cr2:
    case SupportedFormat::cr3:
    case SupportedFormat::nef:
    case SupportedFormat::arw:
    case SupportedFormat::dng:
        plan.extraArguments = rawIdentifyingTags;
        break;
    case SupportedFormat::mp4:
    case SupportedFormat::mov:
        plan.extraArguments = movieHeaderDates;
        break;
    case SupportedFormat::mkv:
        plan.method = CleaningMethod::matroska;
        break;
    case SupportedFormat::pdf:
        plan.method = CleaningMethod::pdf;
        break;
    case SupportedFormat::tif:
    case SupportedFormat::tiff:
        plan.extraArguments = tiffIdentifyingTags;
        break;
    case SupportedFormat::gif:
    case SupportedFormat::jxl:
        plan.method = CleaningMethod::native;
        break;
    case SupportedFormat::avif:
        // HEIF with AV1 pictures: the same items, the same in-place removal.
        plan.method = CleaningMethod::heif;
        break;
    case SupportedFormat::orf:
    case SupportedFormat::rw2:
    case SupportedFormat::pef:
    case SupportedFormat::srw:
        plan.extraArguments = otherRawIdentifyingTags;
        break;
    case SupportedFormat::raf:
        // Fujifilm's raw keeps its picture behind offsets exiftool must move;
        // such rewrites have left files raw converters could not open.
        plan.method = CleaningMethod::refused;
        break;
    case SupportedFormat::m4a:
    case SupportedFormat::threegp:
        plan.extraArguments = movieHeaderDates;
        break;
    case SupportedFormat::mp3:
    case SupportedFormat::flac:
    case SupportedFormat::ogg:
    case SupportedFormat::opus:
    case SupportedFormat::wav:
        plan.method = CleaningMethod::audio;
        break;
    case SupportedFormat::docx:
    case SupportedFormat::xlsx:
    case SupportedFormat::pptx:
    case SupportedFormat::odt:
    case SupportedFormat::ods:
    case SupportedFormat::odp:
        plan.method = CleaningMethod::office;
        break;
    case SupportedFormat::epub:
        plan.method = CleaningMethod::ebook;
        break;
    case SupportedFormat::svg:
        plan.method = CleaningMethod::drawing;
        break;
    }
    return plan;
}

bool contentFitsFormat(SupportedFormat format, const QByteArray &head)
{
    switch (format) {
    case SupportedFormat::pdf:
        // Readers accept a header anywhere in the first kilobyte.
        return head.left(1024).contains("%PDF-");
    case SupportedFormat::mkv:
        return isMatroska(head);
    case SupportedFormat::cr3:
        return isCanonCr3(head);
    case SupportedFormat::cr2:
    case SupportedFormat::nef:
    case SupportedFormat::arw:
    case SupportedFormat::dng:
    case SupportedFormat::tif:
    case SupportedFormat::tiff:
    case SupportedFormat::pef:
    case SupportedFormat::srw:
        return isTiff(head);
    case SupportedFormat::orf:
        return isOlympusRaw(head);
    case SupportedFormat::rw2:
        return isPanasonicRaw(head);
    case SupportedFormat::raf:
        return isFujifilmRaw(head);
    case SupportedFormat::gif:
        return isGif(head);
    case SupportedFormat::jxl:
        return isJpegXl(head);
    case SupportedFormat::avif:
        return isAvif(head);
    default:
        // A photo or movie may well carry another photo or movie extension:
        // the same plan serves them all. A raw, PDF, Matroska, GIF or JPEG XL
        // file may not.
        return !isTiff(head) && !isMatroska(head) && !isCanonCr3(head) && !head.startsWith("%PDF-")
            && !isOlympusRaw(head) && !isPanasonicRaw(head) && !isFujifilmRaw(head) && !isGif(head) && !isJpegXl(head);
    }
}
