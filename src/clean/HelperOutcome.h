#pragma once

#include <ChildProcess.h>
#include <Failure.h>

#include <optional>

// How a run of a helper tool (mkvpropedit, tessaly-pdf-clean) ended, when it
// did not end by itself with an exit status: that status is each helper's own
// to read.
std::optional<Failure> unfinishedRun(const ChildProcess::Outcome &outcome, const QString &tool);
