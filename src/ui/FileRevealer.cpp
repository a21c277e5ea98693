#include "FileRevealer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

FileRevealer::FileRevealer(QObject *parent)
    : QObject(parent)
    , m_openFolder([](const QUrl &folder) { return QDesktopServices::openUrl(folder); })
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
        openFolder(file, folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{file.toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous: a file manager that is slow to start must not block the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, file, folder](QDBusPendingCallWatcher *finished) {
        if (finished->isError())
            openFolder(file, folder);
        finished->deleteLater();
    });
}

void FileRevealer::openFolder(const QUrl &file, const QUrl &folder)
{
    if (m_openFolder(folder))
        return;
    //% "No file manager could show “%1”."
    emit revealFailed(qtTrId("reveal_failed").arg(file.fileName()));
}
