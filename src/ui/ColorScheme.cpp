#include "ColorScheme.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
// The window waits this long at most for a portal that is slow to answer.
constexpr int portalTimeoutMs = 300;

} // namespace

ColorScheme::ColorScheme(QObject *parent)
    : ColorScheme(QDBusConnection::sessionBus(), parent)
{
}

ColorScheme::ColorScheme(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
{
    if (bus.isConnected()) {
        QDBusConnection(bus).connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                                     SLOT(portalSettingChanged(QString,QString,QDBusVariant)));
        readPortal(bus);
    }
    if (qApp)
        qApp->installEventFilter(this);
    m_dark = decide(m_portal, qgetenv("GTK_THEME"), QGuiApplication::palette().color(QPalette::Active, QPalette::Window));
}

ColorScheme::Preference ColorScheme::preferenceFromPortal(const QVariant &answer)
{
    QVariant value = answer;
    // Read wraps the value in one more variant than ReadOne does; a signal's
    // may still be marshalled.
    for (int depth = 0; depth < 4; ++depth) {
        if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
            value = value.value<QDBusVariant>().variant();
        } else if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
            const auto argument = value.value<QDBusArgument>();
            if (argument.currentType() != QDBusArgument::VariantType)
                return Preference::None;
            value = argument.asVariant();
        } else {
            break;
        }
    }
    if (value.metaType() != QMetaType::fromType<uint>() && value.metaType() != QMetaType::fromType<int>())
        return Preference::None;
    switch (value.toUInt()) {
    case 1: return Preference::Dark;
    case 2: return Preference::Light;
    default: return Preference::None;
    }
}

bool ColorScheme::decide(Preference portal, const QByteArray &gtkTheme, const QColor &window)
{
    if (portal != Preference::None)
        return portal == Preference::Dark;
    if (gtkTheme.toLower().endsWith(":dark") || gtkTheme.toLower().endsWith("-dark"))
        return true;
    return window.lightnessF() < 0.5;
}

bool ColorScheme::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        update();
    return QObject::eventFilter(watched, event);
}

void ColorScheme::portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group != appearanceGroup || key != colorSchemeKey)
        return;
    m_portal = preferenceFromPortal(QVariant::fromValue(value));
    update();
}

void ColorScheme::readPortal(const QDBusConnection &bus)
{
    // No portal is started for this: where none runs, the palette decides.
    if (!bus.interface() || !bus.interface()->isServiceRegistered(portalService))
        return;
    for (const QString &method : {QStringLiteral("ReadOne"), QStringLiteral("Read")}) {
        QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
        call << appearanceGroup << colorSchemeKey;
        const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, portalTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            m_portal = preferenceFromPortal(reply.arguments().constFirst());
            return;
        }
        // An older portal has only Read; a missing key ends the search.
        if (reply.errorName() != u"org.freedesktop.DBus.Error.UnknownMethod")
            return;
    }
}

void ColorScheme::update()
{
    const bool dark = decide(m_portal, qgetenv("GTK_THEME"),
                             QGuiApplication::palette().color(QPalette::Active, QPalette::Window));
    if (dark == m_dark)
        return;
    m_dark = dark;
    emit darkChanged();
}
