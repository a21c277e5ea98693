#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>

// Shows a file in the desktop's file manager, selected. Asks the file
// manager over D-Bus (org.freedesktop.FileManager1.ShowItems, which
// Nautilus, Dolphin, Nemo and Thunar implement); where nobody answers, opens
// the folder that holds the file instead.
class FileRevealer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using FolderOpener = std::function<void(const QUrl &folder)>;

    explicit FileRevealer(QObject *parent = nullptr);
    // For tests: what the fallback does (default: QDesktopServices).
    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }

    Q_INVOKABLE void reveal(const QUrl &file);

    // The folder holding `file`, as a URL.
    static QUrl folderOf(const QUrl &file);

private:
    FolderOpener m_openFolder;
};
