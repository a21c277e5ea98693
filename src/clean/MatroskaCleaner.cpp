#include "MatroskaCleaner.h"

#include "HelperOutcome.h"

#include <ChildProcess.h>

#include <QFileInfo>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

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

QStringList propeditArguments(const QString &path, const Contents &contents)
{
    QStringList arguments {path, QStringLiteral("--tags"), QStringLiteral("all:"),
                           QStringLiteral("--edit"), QStringLiteral("info")};
    for (const char *property : {"title", "date", "segment-filename", "prev-filename", "next-filename", "prev-uid",
                                 "next-uid"})
        arguments << QStringLiteral("--delete") << QString::fromLatin1(property);
    const QByteArray uid = QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0')
                           + QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
    arguments << QStringLiteral("--set") << QStringLiteral("segment-uid=0x") + QString::fromLatin1(uid)
              << QStringLiteral("--set") << QStringLiteral("muxing-application=Tessaly")
              << QStringLiteral("--set") << QStringLiteral("writing-application=Tessaly");
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
    for (const MatroskaScrub::Font &font : contents.fonts) {
        arguments << QStringLiteral("--attachment-name") << font.neutralName;
        if (font.described)
            arguments << QStringLiteral("--attachment-description") << QString();
        arguments << QStringLiteral("--update-attachment") << QStringLiteral("=") + QString::number(font.uid);
    }
    return arguments;
}

Expected<Success> clean(const QString &mkvpropedit, const QString &path, const Contents &contents,
                        std::chrono::milliseconds limit, const std::atomic<bool> *cancel)
{
    auto fonts = MatroskaScrub::fonts(path);
    if (!fonts)
        return fonts.error();
    Contents withFonts = contents;
    withFonts.fonts = fonts.value();
    // It edits the staged copy where it is: the one folder it may write.
    SandboxGrant grant;
    grant.writable = {QFileInfo(path).absolutePath()};
    const auto outcome = ChildProcess::run(mkvpropedit, propeditArguments(path, withFonts), limit, 0, cancel, grant);
    const QString tool = QStringLiteral("mkvpropedit");
    if (auto failure = unfinishedRun(outcome, tool))
        return *failure;
    // Exit status 1 means warnings; with selectors taken from the file itself
    // none are expected, so one is a reason to keep the original.
    if (outcome.exitCode != 0)
        return CleanError(CleanError::Kind::helperFailed, {tool, outputText(outcome.standardOutput, outcome.exitCode)});
    if (auto scrubbed = MatroskaScrub::scrub(path); !scrubbed)
        return scrubbed.error();
    return Success{};
}

} // namespace MatroskaCleaner
