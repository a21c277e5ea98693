#pragma once

#include <QAccessibleObject>
#include <QQuickItem>

// What a screen reader is given for the Qt Quick controls whose own
// accessibility Qt 6.4 gets wrong: a ProgressBar has no value interface (a
// reader hears its name and no value), and a MenuBarItem calls itself a menu
// bar whatever its Accessible.role says. Their name still comes from
// Accessible.name. Install once, after Qt Quick is loaded: the factory
// installed last is asked first.
class AccessibleItem : public QAccessibleObject, public QAccessibleValueInterface, public QAccessibleActionInterface
{
public:
    AccessibleItem(QQuickItem *item, QAccessible::Role role);

    static void install();
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text type) const override;
    QAccessible::Role role() const override { return m_role; }
    QAccessible::State state() const override;
    QRect rect() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // A progress bar's: read only.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return {}; }

    // A menu bar item's: opens its menu.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QQuickItem *item() const { return static_cast<QQuickItem *>(object()); }

    QAccessible::Role m_role;
};
