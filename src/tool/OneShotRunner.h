#pragma once

#include "ToolRunner.h"

// One child process per run.
class OneShotRunner final : public ToolRunner
{
public:
    Expected<QByteArray> run(const QString &program, const QStringList &arguments,
                             std::chrono::milliseconds limit, const SandboxGrant &grant = {}) override;
};

// The message of a failed run: standard error as UTF-8, "Unknown error" when
// it is not valid UTF-8. Shared by every runner so they all word failures alike.
QString toolErrorText(const QByteArray &standardError);

// The result of a run that ended: standard output on exit status 0, otherwise
// processError with the standard error text, or words for a run that crashed
// or failed silently.
Expected<QByteArray> endedRunResult(bool crashed, int exitCode, QByteArray standardOutput,
                                    const QByteArray &standardError);
