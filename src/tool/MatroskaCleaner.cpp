#include "MatroskaCleaner.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>
#include <limits>
#include <sys/prctl.h>

namespace MatroskaCleaner {

namespace {

bool isFont(const QString &mimeType)
{
    const QString type = mimeType.toLower();
    return type.startsWith(QLatin1String("font/")) || type.contains(QLatin1String("font"))
        || type == QLatin1String("application/vnd.ms-opentype");
}

QString outputText(const QByteArray &output, int exitCode)
{
    // mkvpropedit reports on standard output: keep only what it said was wrong.
    QStringList lines;
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Error:")) || line.startsWith(QLatin1String("Warning:")))
            lines.append(line.trimmed());
    }
    if (lines.isEmpty())
        return QStringLiteral("mkvpropedit failed with exit status %1").arg(exitCode);
    return lines.join(QLatin1Char('\n'));
}

CleanError failed(const QString &detail)
{
    return CleanError{QStringLiteral("mkvpropedit: %1").arg(detail)};
}

} // namespace

QStringList contentsQuery(const QString &path)
{
    // -G4 names repeated tags Copy1, Copy2...: every attachment gets its own key.
    return {QStringLiteral("-j"), QStringLiteral("-a"), QStringLiteral("-G4"), QStringLiteral("-TrackNumber"),
            QStringLiteral("-AttachedFileMIMEType"), path};
}

Expected<Contents> parseContents(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return JsonSyntaxError{QStringLiteral("The tool's output is not valid JSON: %1").arg(error.errorString())};
    if (!document.isArray() || document.array().isEmpty() || !document.array().first().isObject())
        return ExifToolError::parseError();

    Contents contents;
    const QJsonObject tags = document.array().first().toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        const QString name = it.key().section(QLatin1Char(':'), -1);
        if (name == QLatin1String("TrackNumber")) {
            if (!it.value().isDouble())
                return ExifToolError::parseError();
            contents.trackNumbers.append(it.value().toInt());
        } else if (name == QLatin1String("AttachedFileMIMEType")) {
            contents.attachmentMimeTypes.append(it.value().toVariant().toString());
        }
    }
    return contents;
}

std::optional<QString> locate(const QString &resourceDirectory)
{
    if (resourceDirectory.isEmpty())
        return std::nullopt;
    const QFileInfo tool(QDir(resourceDirectory).absoluteFilePath(QStringLiteral("mkvpropedit")));
    if (!tool.isFile())
        return std::nullopt;
    return tool.absoluteFilePath();
}

QStringList propeditArguments(const QString &path, const Contents &contents)
{
    QStringList arguments {path, QStringLiteral("--tags"), QStringLiteral("all:"),
                           QStringLiteral("--edit"), QStringLiteral("info")};
    for (const char *property : {"title", "date", "segment-filename", "prev-filename", "next-filename"})
        arguments << QStringLiteral("--delete") << QString::fromLatin1(property);
    for (int track : contents.trackNumbers) {
        arguments << QStringLiteral("--edit") << QStringLiteral("track:@%1").arg(track)
                  << QStringLiteral("--delete") << QStringLiteral("name");
    }
    QStringList deletedTypes;
    for (const QString &type : contents.attachmentMimeTypes) {
        if (isFont(type) || deletedTypes.contains(type))
            continue;
        deletedTypes.append(type);
        arguments << QStringLiteral("--delete-attachment") << QStringLiteral("mime-type:") + type;
    }
    return arguments;
}

Expected<Success> clean(const QString &mkvpropedit, const QString &path, const Contents &contents,
                        std::chrono::milliseconds limit)
{
    QProcess process;
    process.setProgram(mkvpropedit);
    process.setArguments(propeditArguments(path, contents));
    process.setProcessChannelMode(QProcess::MergedChannels);
    // As for exiftool: the tool stops when Tessaly dies instead of living on unowned.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(-1))
        return LaunchError{QStringLiteral("mkvpropedit could not be started: %1").arg(process.errorString())};
    process.closeWriteChannel();

    const auto ms = limit.count() > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                    : static_cast<int>(limit.count());
    if (!process.waitForFinished(ms) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        return failed(QStringLiteral("the run timed out"));
    }
    const QByteArray output = process.readAll();
    if (process.exitStatus() == QProcess::CrashExit)
        return failed(QStringLiteral("stopped unexpectedly (it crashed or was killed)"));
    // Exit status 1 means warnings; with selectors taken from the file itself
    // none are expected, so one is a reason to keep the original.
    if (process.exitCode() != 0)
        return failed(outputText(output, process.exitCode()));
    return Success{};
}

} // namespace MatroskaCleaner
