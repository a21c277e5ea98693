#include "AccessibleItem.h"

#include <QQuickWindow>

AccessibleItem::AccessibleItem(QQuickItem *item, QAccessible::Role role)
    : QAccessibleObject(item)
    , m_role(role)
{
}

void AccessibleItem::install()
{
    QAccessible::installFactory(&AccessibleItem::factory);
}

QAccessibleInterface *AccessibleItem::factory(const QString &, QObject *object)
{
    if (!object)
        return nullptr;
    if (object->inherits("QQuickProgressBar"))
        return new AccessibleItem(static_cast<QQuickItem *>(object), QAccessible::ProgressBar);
    if (object->inherits("QQuickMenuBarItem"))
        return new AccessibleItem(static_cast<QQuickItem *>(object), QAccessible::MenuItem);
    return nullptr;
}

QWindow *AccessibleItem::window() const
{
    return item()->window();
}

QAccessibleInterface *AccessibleItem::parent() const
{
    // The nearest item the tree shows: items without an accessible role of
    // their own are left out of it.
    QQuickWindow *window = item()->window();
    for (QQuickItem *up = item()->parentItem(); up; up = up->parentItem()) {
        if (window && up == window->contentItem())
            break;
        if (QAccessibleInterface *found = QAccessible::queryAccessibleInterface(up))
            return found;
    }
    return window ? QAccessible::queryAccessibleInterface(window) : nullptr;
}

QString AccessibleItem::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name)
        return {};
    // Accessible.name, from the attached object QML made for it.
    for (QObject *child : item()->children()) {
        if (child->inherits("QQuickAccessibleAttached"))
            return child->property("name").toString();
    }
    return {};
}

QAccessible::State AccessibleItem::state() const
{
    QAccessible::State state;
    if (!item()->isVisible() || !item()->window() || !item()->window()->isVisible())
        state.invisible = true;
    if (m_role == QAccessible::ProgressBar) {
        state.readOnly = true;
    } else {
        state.focusable = true;
        state.focused = item()->hasActiveFocus();
        state.hasPopup = true;
    }
    return state;
}

QRect AccessibleItem::rect() const
{
    if (!item()->window())
        return {};
    const QRectF inScene = item()->mapRectToScene(QRectF(0, 0, item()->width(), item()->height()));
    return QRect(item()->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
}

void *AccessibleItem::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface && m_role == QAccessible::ProgressBar)
        return static_cast<QAccessibleValueInterface *>(this);
    if (type == QAccessible::ActionInterface && m_role == QAccessible::MenuItem)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QVariant AccessibleItem::currentValue() const
{
    return item()->property("value");
}

QVariant AccessibleItem::maximumValue() const
{
    return item()->property("to");
}

QVariant AccessibleItem::minimumValue() const
{
    return item()->property("from");
}

QStringList AccessibleItem::actionNames() const
{
    return {pressAction()};
}

void AccessibleItem::doAction(const QString &actionName)
{
    // The bar opens an item's menu when the item is triggered.
    if (actionName == pressAction())
        QMetaObject::invokeMethod(item(), "triggered");
}
