#include "WindowTranslucency.h"

#include <QQuickWindow>
#include <QWindow>

void makeWindowTranslucent(const QList<QWindow *> &windows)
{
    if (windows.isEmpty())
        return;
    QWindow *first = windows.first();
    if (auto *quick = qobject_cast<QQuickWindow *>(first))
        quick->setColor(Qt::transparent);
    QSurfaceFormat format = first->format();
    if (format.alphaBufferSize() < 8 && !first->handle()) {
        format.setAlphaBufferSize(8);
        first->setFormat(format);
    }
}
