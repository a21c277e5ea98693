#include "FileKind.h"

#include <SupportedFormat.h>

FileKind FileKind::forExtension(QStringView extension)
{
    const auto format = parseSupportedFormat(extension);
    if (!format)
        return {QStringLiteral("doc"), QStringLiteral("secondary")};
    switch (groupOf(*format)) {
    case FormatGroup::image:
        return {QStringLiteral("photo"), QStringLiteral("blue")};
    case FormatGroup::video:
        return {QStringLiteral("video"), QStringLiteral("purple")};
    case FormatGroup::document:
        return {QStringLiteral("doc.text"), QStringLiteral("orange")};
    case FormatGroup::audio:
        return {QStringLiteral("waveform"), QStringLiteral("green")};
    case FormatGroup::office:
        return {QStringLiteral("doc.richtext"), QStringLiteral("blue")};
    case FormatGroup::ebook:
        return {QStringLiteral("book"), QStringLiteral("orange")};
    case FormatGroup::drawing:
        return {QStringLiteral("scribble"), QStringLiteral("purple")};
    }
    Q_UNREACHABLE();
}
