#include "SupportedFormat.h"

namespace {

struct FormatFacts
{
    const char16_t *extension;
    FormatGroup group;
    bool cameraRaw = false;
};

constexpr std::array<FormatFacts, allSupportedFormats.size()> facts {{
    {u"jpg", FormatGroup::image}, {u"jpeg", FormatGroup::image}, {u"png", FormatGroup::image},
    {u"heic", FormatGroup::image}, {u"webp", FormatGroup::image},
    {u"cr2", FormatGroup::image, true}, {u"cr3", FormatGroup::image, true}, {u"nef", FormatGroup::image, true},
    {u"arw", FormatGroup::image, true}, {u"dng", FormatGroup::image, true},
    {u"mp4", FormatGroup::video}, {u"mov", FormatGroup::video}, {u"mkv", FormatGroup::video},
    {u"pdf", FormatGroup::document},
    {u"tif", FormatGroup::image}, {u"tiff", FormatGroup::image}, {u"gif", FormatGroup::image},
    {u"avif", FormatGroup::image}, {u"jxl", FormatGroup::image},
    {u"orf", FormatGroup::image, true}, {u"rw2", FormatGroup::image, true}, {u"raf", FormatGroup::image, true},
    {u"pef", FormatGroup::image, true}, {u"srw", FormatGroup::image, true},
    {u"m4a", FormatGroup::audio}, {u"3gp", FormatGroup::video},
    {u"mp3", FormatGroup::audio}, {u"flac", FormatGroup::audio}, {u"ogg", FormatGroup::audio},
    {u"opus", FormatGroup::audio}, {u"wav", FormatGroup::audio},
    {u"docx", FormatGroup::office}, {u"xlsx", FormatGroup::office}, {u"pptx", FormatGroup::office},
    {u"odt", FormatGroup::office}, {u"ods", FormatGroup::office}, {u"odp", FormatGroup::office},
    {u"epub", FormatGroup::ebook},
    {u"svg", FormatGroup::drawing},
}};

const FormatFacts &factsOf(SupportedFormat format)
{
    return facts[static_cast<std::size_t>(format)];
}

} // namespace

QString rawValue(SupportedFormat format)
{
    return QString::fromUtf16(factsOf(format).extension);
}

std::optional<SupportedFormat> parseSupportedFormat(QStringView raw)
{
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (raw == QStringView(facts[i].extension))
            return allSupportedFormats[i];
    }
    return std::nullopt;
}

FormatGroup groupOf(SupportedFormat format)
{
    return factsOf(format).group;
}

bool isCameraRaw(SupportedFormat format)
{
    return factsOf(format).cameraRaw;
}
