#pragma once

#include <QList>

class QWindow;

// Makes the first window of `windows` translucent: no opaque background, so
// the content's own translucent fills show the desktop behind. Later windows
// (the settings window) keep their look. With no window, or no compositor
// to draw what lies behind, nothing happens: the window stays opaque.
void makeWindowTranslucent(const QList<QWindow *> &windows);
