#include "SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

bool SingleInstance::handOver(const QList<QUrl> &urls, std::optional<bool> keepOriginal, bool review)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QStringList files;
    files.reserve(urls.size());
    for (const QUrl &url : urls)
        files.append(url.toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                                       QLatin1String(serviceName), QStringLiteral("Open"));
    QString mode = !keepOriginal ? QString() : *keepOriginal ? QStringLiteral("copy") : QStringLiteral("in-place");
    if (review)
        mode += QStringLiteral(" review");
    call << files << mode;
    // Asking an absent name fails at once; a running instance answers as soon
    // as its event loop turns, which a busy window may delay a little.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool SingleInstance::registerInstance()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QLatin1String(objectPath), this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (bus.registerService(QLatin1String(serviceName)))
        return true;
    bus.unregisterObject(QLatin1String(objectPath));
    return false;
}

void SingleInstance::Open(const QStringList &files, const QString &mode)
{
    QList<QUrl> urls;
    urls.reserve(files.size());
    for (const QString &file : files) {
        const QUrl url(file, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            urls.append(url);
    }
    const QStringList words = mode.split(u' ', Qt::SkipEmptyParts);
    const std::optional<bool> keepOriginal = words.contains(QLatin1String("copy"))       ? std::optional(true)
                                             : words.contains(QLatin1String("in-place")) ? std::optional(false)
                                                                                         : std::nullopt;
    emit openRequested(urls, keepOriginal, words.contains(QLatin1String("review")));
}
