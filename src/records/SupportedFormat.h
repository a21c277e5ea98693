#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The closed set of extensions Tessaly accepts. The first fourteen keep their
// order (ten images, five of them camera raws, three videos, PDF); the kinds
// added later follow them.
enum class SupportedFormat {
    jpg, jpeg, png, heic, webp,
    cr2, cr3, nef, arw, dng,
    mp4, mov, mkv,
    pdf,
    // Written by exiftool.
    tif, tiff, gif, avif, jxl,
    orf, rw2, raf, pef, srw,
    m4a, threegp,
    // Written by the app's own cleaners.
    mp3, flac, ogg, opus, wav,
    docx, xlsx, pptx, odt, ods, odp,
    epub,
    svg,
};

enum class FormatGroup {
    image,
    video,
    document,
    audio,
    office,
    ebook,
    drawing,
};

inline constexpr std::array allSupportedFormats {
    SupportedFormat::jpg, SupportedFormat::jpeg, SupportedFormat::png, SupportedFormat::heic,
    SupportedFormat::webp, SupportedFormat::cr2, SupportedFormat::cr3, SupportedFormat::nef,
    SupportedFormat::arw, SupportedFormat::dng, SupportedFormat::mp4, SupportedFormat::mov,
    SupportedFormat::mkv, SupportedFormat::pdf,
    SupportedFormat::tif, SupportedFormat::tiff, SupportedFormat::gif, SupportedFormat::avif,
    SupportedFormat::jxl, SupportedFormat::orf, SupportedFormat::rw2, SupportedFormat::raf,
    SupportedFormat::pef, SupportedFormat::srw, SupportedFormat::m4a, SupportedFormat::threegp,
    SupportedFormat::mp3, SupportedFormat::flac, SupportedFormat::ogg, SupportedFormat::opus,
    SupportedFormat::wav, SupportedFormat::docx, SupportedFormat::xlsx, SupportedFormat::pptx,
    SupportedFormat::odt, SupportedFormat::ods, SupportedFormat::odp, SupportedFormat::epub,
    SupportedFormat::svg,
};

// The raw value: the lower-case extension, e.g. "jpg" ("3gp" for threegp).
QString rawValue(SupportedFormat format);

// Exact, case-sensitive match on the whole string: "JPG" is no format.
std::optional<SupportedFormat> parseSupportedFormat(QStringView raw);

FormatGroup groupOf(SupportedFormat format);

bool isCameraRaw(SupportedFormat format);
