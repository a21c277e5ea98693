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
    }
    Q_UNREACHABLE();
}
