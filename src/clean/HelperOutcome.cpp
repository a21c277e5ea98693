#include "HelperOutcome.h"

std::optional<Failure> unfinishedRun(const ChildProcess::Outcome &outcome, const QString &tool)
{
    switch (outcome.ending) {
    case ChildProcess::Outcome::Ending::notStarted:
        return LaunchError{QStringLiteral("%1 could not be started: %2").arg(tool, outcome.launchError)};
    case ChildProcess::Outcome::Ending::timedOut:
        return CleanError(CleanError::Kind::helperTimedOut, {tool});
    case ChildProcess::Outcome::Ending::cancelled:
        return CleanError(CleanError::Kind::quitting);
    case ChildProcess::Outcome::Ending::crashed:
        return CleanError(CleanError::Kind::helperCrashed, {tool});
    case ChildProcess::Outcome::Ending::exited:
        break;
    }
    return std::nullopt;
}
