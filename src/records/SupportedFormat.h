#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The closed set of extensions Tessaly accepts. The order matters: the first
// ten are images (five of them camera raws), then three videos, then PDF.
enum class SupportedFormat {
    jpg, jpeg, png, heic, webp,
    cr2, cr3, nef, arw, dng,
    mp4, mov, mkv,
    pdf,
};

enum class FormatGroup {
    image,
    video,
    document,
};

inline constexpr std::array allSupportedFormats {
    SupportedFormat::jpg, SupportedFormat::jpeg, SupportedFormat::png, SupportedFormat::heic,
    SupportedFormat::webp, SupportedFormat::cr2, SupportedFormat::cr3, SupportedFormat::nef,
    SupportedFormat::arw, SupportedFormat::dng, SupportedFormat::mp4, SupportedFormat::mov,
    SupportedFormat::mkv, SupportedFormat::pdf,
};

// The raw value: the lower-case extension, e.g. "jpg".
QString rawValue(SupportedFormat format);

// Exact, case-sensitive match on the whole string: "JPG" is no format.
std::optional<SupportedFormat> parseSupportedFormat(QStringView raw);

FormatGroup groupOf(SupportedFormat format);

bool isCameraRaw(SupportedFormat format);
