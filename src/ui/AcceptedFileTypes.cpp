#include "AcceptedFileTypes.h"

#include <SupportedFormat.h>

namespace AcceptedFileTypes {

QStringList allowedContentTypes()
{
    QStringList patterns;
    for (SupportedFormat format : allSupportedFormats) {
        const QString extension = rawValue(format);
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    }
    return patterns;
}

} // namespace AcceptedFileTypes
