#include "FileRevealer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

FileRevealer::FileRevealer(QObject *parent)
    : QObject(parent)
    , m_openFolder([](const QUrl &folder) { QDesktopServices::openUrl(folder); })
{
}

QUrl FileRevealer::folderOf(const QUrl &file)
{
    if (file.isLocalFile())
        return QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
    return file.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
}

void FileRevealer::reveal(const QUrl &file)
{
    const QUrl folder = folderOf(file);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{file.toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous: a file manager that is slow to start must not block the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, folder](QDBusPendingCallWatcher *finished) {
        if (finished->isError())
            m_openFolder(folder);
        finished->deleteLater();
    });
}
