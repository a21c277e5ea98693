#pragma once

#include <QList>

#include <functional>

class QObject;
class QWindow;

// With TESSALY_STARTUP_REPORT set, the first frame a window draws prints to
// stderr how long the launch took and the CPU the process spent until then:
//   tessaly-startup: first_frame_s=0.412 cpu_s=0.131
// Measured by the window benchmark; nothing happens without the variable.
void reportStartupOnFirstFrame(const QList<QWindow *> &windows);

// Calls `then` once, on `context`'s thread, when the first of the windows has
// drawn its first frame, or after `latest` milliseconds should none draw (a
// window that is never exposed). Work that can wait for the window, such as
// starting the tool or taking the files named at launch, waits for it.
void afterFirstFrame(const QList<QWindow *> &windows, QObject *context, std::function<void()> then, int latest = 1000);
