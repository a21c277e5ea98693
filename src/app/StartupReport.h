#pragma once

#include <QList>

class QWindow;

// With TESSALY_STARTUP_REPORT set, the first frame a window draws prints to
// stderr how long the launch took and the CPU the process spent until then:
//   tessaly-startup: first_frame_s=0.412 cpu_s=0.131
// Measured by the window benchmark; nothing happens without the variable.
void reportStartupOnFirstFrame(const QList<QWindow *> &windows);
