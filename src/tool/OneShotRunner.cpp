#include "OneShotRunner.h"

#include "MetadataJson.h"

#include "ChildProcess.h"

#include <QStringDecoder>

QString toolErrorText(const QByteArray &standardError)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(standardError);
    if (decoder.hasError())
        return QStringLiteral("Unknown error");
    return text;
}

Expected<QByteArray> endedRunResult(bool crashed, int exitCode, QByteArray standardOutput,
                                    const QByteArray &standardError)
{
    if (crashed) {
        QString message = toolErrorText(standardError);
        if (message.isEmpty())
            message = QStringLiteral("exiftool stopped unexpectedly (it crashed or was killed)");
        return ExifToolError::processError(message);
    }
    if (exitCode != 0) {
        QString message = toolErrorText(standardError);
        // A read that fails (an empty file, say) reports why in its JSON, not on stderr.
        if (message.isEmpty()) {
            if (auto table = parseMetadataJson(standardOutput); table) {
                const QString error = table.value().value(QStringLiteral("ExifTool:Error"),
                                                          table.value().value(QStringLiteral("Error")));
                if (!error.isEmpty())
                    message = QStringLiteral("Error: ") + error;
            }
        }
        if (message.isEmpty())
            message = QStringLiteral("exiftool failed with exit status %1").arg(exitCode);
        return ExifToolError::processError(message);
    }
    return standardOutput;
}

Expected<QByteArray> OneShotRunner::run(const QString &program, const QStringList &arguments,
                                        std::chrono::milliseconds limit, const SandboxGrant &grant)
{
    if (stopping())
        return CleanError(CleanError::Kind::quitting);
    ChildProcess::Outcome outcome = ChildProcess::run(program, arguments, limit, 0, stopFlag(), grant);
    switch (outcome.ending) {
    case ChildProcess::Outcome::Ending::notStarted:
        return LaunchError{outcome.launchError};
    case ChildProcess::Outcome::Ending::timedOut:
        return ExifToolError::timeout();
    case ChildProcess::Outcome::Ending::cancelled:
        return CleanError(CleanError::Kind::quitting);
    case ChildProcess::Outcome::Ending::crashed:
    case ChildProcess::Outcome::Ending::exited:
        break;
    }
    return endedRunResult(outcome.ending == ChildProcess::Outcome::Ending::crashed, outcome.exitCode,
                          std::move(outcome.standardOutput), outcome.standardError);
}
