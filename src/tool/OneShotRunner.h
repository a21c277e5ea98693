#pragma once

#include "ToolRunner.h"

// One child process per run.
class OneShotRunner final : public ToolRunner
{
public:
    Expected<QByteArray> run(const QString &program, const QStringList &arguments,
                             std::chrono::milliseconds limit) override;
};

// The message of a failed run: standard error as UTF-8, "Unknown error" when
// it is not valid UTF-8. Shared by every runner so they all word failures alike.
QString toolErrorText(const QByteArray &standardError);
