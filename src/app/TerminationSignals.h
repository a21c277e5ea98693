#pragma once

class QCoreApplication;

// SIGTERM (a logout, `kill`), SIGINT (Ctrl+C in a terminal) and SIGHUP end
// the app the way Quit does: the cleans under way stop and leave nothing
// behind, instead of the process vanishing mid-write.
void quitOnTerminationSignals(QCoreApplication &app);
