#include "RunNotifier.h"

#include <TessalyViewModel.h>
#include <UiTexts.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>
#include <QWindow>

RunNotifier::RunNotifier(TessalyViewModel *model, std::chrono::milliseconds longRun, QObject *parent)
    : QObject(parent)
    , m_longRun(longRun)
{
    connect(model, &TessalyViewModel::runEnded, this, &RunNotifier::runEnded);
}

bool RunNotifier::worthTelling(qint64 milliseconds) const
{
    return milliseconds >= m_longRun.count() && QGuiApplication::applicationState() != Qt::ApplicationActive;
}

void RunNotifier::runEnded(qint64 cleaned, qint64 notCleaned, qint64 milliseconds)
{
    if (!worthTelling(milliseconds))
        return;
    //% "Cleaning finished"
    const QString title = qtTrId("run_notification_title");
    const QString body = UiTexts::runSummary(cleaned, notCleaned);
    // Fire and forget: without a notification server the call fails unseen,
    // and the window's own request for attention still stands.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.tessaly.Tessaly")}};
    call << QGuiApplication::applicationDisplayName() << uint(0) << QStringLiteral("org.tessaly.Tessaly") << title
         << body << QStringList() << hints << int(-1);
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    for (QWindow *window : QGuiApplication::topLevelWindows())
        window->alert(0);
    emit notified(title, body);
}
