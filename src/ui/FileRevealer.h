#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>

// Shows a file in the desktop's file manager, selected. Asks the file
// manager over D-Bus (org.freedesktop.FileManager1.ShowItems, which
// Nautilus, Dolphin, Nemo and Thunar implement); where nobody answers, opens
// the folder that holds the file instead. When that fails too, says so
// with revealFailed.
class FileRevealer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // True when something took the folder.
    using FolderOpener = std::function<bool(const QUrl &folder)>;

    explicit FileRevealer(QObject *parent = nullptr);
    // For tests: what the fallback does (default: QDesktopServices).
    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }

    Q_INVOKABLE void reveal(const QUrl &file);

    // The folder holding `file`, as a URL.
    static QUrl folderOf(const QUrl &file);

signals:
    // `message` is a short, translated text for the window to show.
    void revealFailed(const QString &message);

private:
    void openFolder(const QUrl &file, const QUrl &folder);

    FolderOpener m_openFolder;
};
