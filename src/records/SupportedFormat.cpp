#include "SupportedFormat.h"

namespace {

constexpr std::array<const char16_t *, allSupportedFormats.size()> rawValues {
    u"jpg", u"jpeg", u"png", u"heic", u"webp",
    u"cr2", u"cr3", u"nef", u"arw", u"dng",
    u"mp4", u"mov", u"mkv",
    u"pdf",
};

} // namespace

QString rawValue(SupportedFormat format)
{
    return QString::fromUtf16(rawValues[static_cast<std::size_t>(format)]);
}

std::optional<SupportedFormat> parseSupportedFormat(QStringView raw)
{
    for (std::size_t i = 0; i < rawValues.size(); ++i) {
        if (raw == QStringView(rawValues[i]))
            return allSupportedFormats[i];
    }
    return std::nullopt;
}

FormatGroup groupOf(SupportedFormat format)
{
    if (format <= SupportedFormat::dng)
        return FormatGroup::image;
    if (format <= SupportedFormat::mkv)
        return FormatGroup::video;
    return FormatGroup::document;
}

bool isCameraRaw(SupportedFormat format)
{
    return format >= SupportedFormat::cr2 && format <= SupportedFormat::dng;
}
