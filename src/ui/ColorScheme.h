#pragma once

#include <QByteArray>
#include <QColor>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

// Whether the desktop asks for dark colours. Where an XDG desktop portal
// answers, its appearance setting decides and is followed as it changes;
// where it has no preference, a dark GTK theme named in GTK_THEME does (GNOME
// sets no dark palette for Qt), and otherwise the application palette's own
// lightness. Theme.qml picks the shades.
class ColorScheme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool dark READ dark NOTIFY darkChanged)

public:
    enum class Preference { None, Dark, Light };

    explicit ColorScheme(QObject *parent = nullptr);
    // Asks the portal on `bus`; the tests bring a bus of their own.
    ColorScheme(const QDBusConnection &bus, QObject *parent = nullptr);

    bool dark() const { return m_dark; }

    // The portal's answer, nested in as many variants as the call wraps it
    // in: 1 asks for dark, 2 for light, anything else for neither.
    static Preference preferenceFromPortal(const QVariant &answer);
    static bool decide(Preference portal, const QByteArray &gtkTheme, const QColor &window);

signals:
    void darkChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void readPortal(const QDBusConnection &bus);
    void update();

    Preference m_portal = Preference::None;
    bool m_dark = false;
};
