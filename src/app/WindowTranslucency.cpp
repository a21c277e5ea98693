#include "WindowTranslucency.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Translucency needs a compositor: without one, X paints the "transparent"
// parts of a window with whatever lay there, a muddy grey at best. A
// compositing manager owns the selection _NET_WM_CM_S<screen>.
bool compositorRunning()
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
    if (platform != QLatin1String("xcb"))
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const qsizetype dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':'))
        screen = display.mid(dot + 1).toInt();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

} // namespace

void makeWindowTranslucent(const QList<QWindow *> &windows)
{
    if (windows.isEmpty() || !compositorRunning())
        return;
    QWindow *first = windows.first();
    QSurfaceFormat format = first->format();
    if (format.alphaBufferSize() < 8 && !first->handle()) {
        format.setAlphaBufferSize(8);
        first->setFormat(format);
    }
    // A window already made without an alpha channel (Qt Quick's software
    // renderer on X gets none) would paint "transparent" as black.
    if (first->handle() && first->format().alphaBufferSize() < 8)
        return;
    if (auto *quick = qobject_cast<QQuickWindow *>(first))
        quick->setColor(Qt::transparent);
}
