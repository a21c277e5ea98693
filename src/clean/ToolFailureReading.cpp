#include "ToolFailureReading.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/statvfs.h>

namespace {

bool says(const QString &text, const char *words)
{
    return text.contains(QLatin1String(words), Qt::CaseInsensitive);
}

bool readOnly(const QString &folder)
{
    struct statvfs space;
    return !folder.isEmpty() && ::statvfs(QFile::encodeName(folder).constData(), &space) == 0
        && (space.f_flag & ST_RDONLY) != 0;
}

bool littleRoomIn(const QString &folder, qint64 needed)
{
    struct statvfs space;
    if (folder.isEmpty() || ::statvfs(QFile::encodeName(folder).constData(), &space) != 0)
        return false;
    return qint64(space.f_bavail) * qint64(space.f_frsize) < needed;
}

} // namespace

Failure readToolFailure(const Failure &failure, const QString &name, const QString &folder, qint64 needed)
{
    const auto *toolError = std::get_if<ExifToolError>(&failure);
    if (!toolError || toolError->kind() != ExifToolError::Case::processError)
        return failure;
    const QString &text = toolError->message();
    using Kind = CleanError::Kind;
    const auto ours = [&](Kind kind) { return CleanError(kind, {name}, text.trimmed()); };

    if (says(text, "No space left on device") || says(text, "Disk quota exceeded") || says(text, "File too large"))
        return ours(Kind::diskFull);
    // A disk that went read-only under the tool makes it say all kinds of things.
    if (says(text, "Read-only file system") || readOnly(folder))
        return ours(Kind::readOnlyDisk);
    const bool output = says(text, "output file");
    if (output && says(text, "Permission denied"))
        return ours(Kind::folderNotPermitted);
    if (output && (says(text, "Error writing") || says(text, "Error creating") || says(text, "Error opening")))
        return ours(littleRoomIn(folder, needed) ? Kind::diskFull : Kind::outputNotWritten);
    // "Not a valid JPG (looks more like a TXT)": the file is not what its name says.
    static const QRegularExpression notValid(QStringLiteral("Not a valid (\\w+)(?: \\(looks more like an? (\\w+)\\))?"));
    if (const auto match = notValid.match(text); match.hasMatch())
        return CleanError(Kind::notThatKind, {name, match.captured(1), match.captured(2)}, text.trimmed());
    // "Can't yet handle movie fragments"
    if (says(text, "movie fragments"))
        return ours(Kind::fragmentedMovie);
    // A file cut short: its picture or movie data runs past its end.
    if (says(text, "File format error") || says(text, "Error reading") || says(text, "Truncated"))
        return ours(Kind::formatError);
    return failure;
}

Failure readWrongKind(const Failure &failure, SupportedFormat format, const MetadataTable &read, const QString &name)
{
    if (!isCleanError(failure, CleanError::Kind::damagedFile))
        return failure;
    const QString type = read.value(QStringLiteral("File:FileType"));
    const QString mimeType = read.value(QStringLiteral("File:MIMEType"));
    const bool jpeg = format == SupportedFormat::jpg || format == SupportedFormat::jpeg;
    const QString expected = jpeg ? QStringLiteral("JPEG") : rawValue(format).toUpper();
    // "image/jpeg" for a JPEG, "image/apng" for an animated PNG: damaged, but the right kind.
    // An MP3 is "audio/mpeg", an Opus file "audio/ogg": their types name them.
    if (type.isEmpty() || mimeType.contains(expected, Qt::CaseInsensitive)
        || type.compare(expected, Qt::CaseInsensitive) == 0)
        return failure;
    // Office documents and e-books are ZIPs: one exiftool cannot see into is
    // damaged, not of another kind.
    const FormatGroup group = groupOf(format);
    if (type == u"ZIP" && (group == FormatGroup::office || group == FormatGroup::ebook))
        return failure;
    return CleanError(CleanError::Kind::notThatKind, {name, expected, type},
                      QStringLiteral("ExifTool: File:FileType %1, File:MIMEType %2").arg(type, mimeType));
}
