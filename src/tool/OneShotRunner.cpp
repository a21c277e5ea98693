#include "OneShotRunner.h"

#include "MetadataJson.h"

#include <QProcess>
#include <QStringDecoder>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

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
            if (auto table = parseMetadataJson(standardOutput); table && table.value().contains(QStringLiteral("Error")))
                message = QStringLiteral("Error: ") + table.value().value(QStringLiteral("Error"));
        }
        if (message.isEmpty())
            message = QStringLiteral("exiftool failed with exit status %1").arg(exitCode);
        return ExifToolError::processError(message);
    }
    return standardOutput;
}

Expected<QByteArray> OneShotRunner::run(const QString &program, const QStringList &arguments,
                                        std::chrono::milliseconds limit)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // Should Tessaly die mid-run, the tool is told to stop too instead of
    // living on unowned. SIGINT, not SIGTERM: only on SIGINT does exiftool
    // delete its own temporary file. The run blocks this thread until the
    // child ends, so the thread outlives it.
    process.setChildProcessModifier([] {
        ::prctl(PR_SET_PDEATHSIG, SIGINT);
        ::setpriority(PRIO_PROCESS, 0, 5); // below the window's threads
    });

    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(-1))
        return LaunchError{process.errorString()};
    // The tool gets no input: an immediate end of file, never a wait on a terminal.
    process.closeWriteChannel();

    const auto ms = limit.count() > std::numeric_limits<int>::max()
                        ? std::numeric_limits<int>::max()
                        : static_cast<int>(limit.count());
    // waitForFinished keeps reading both pipes, so a large output never stalls
    // the tool on a full pipe.
    if (!process.waitForFinished(ms) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        return ExifToolError::timeout();
    }

    return endedRunResult(process.exitStatus() == QProcess::CrashExit, process.exitCode(),
                          process.readAllStandardOutput(), process.readAllStandardError());
}
