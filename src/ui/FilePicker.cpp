#include "FilePicker.h"

#include "AcceptedFileTypes.h"

#include <QFileDialog>
#include <QStandardPaths>

FilePicker::FilePicker(QObject *parent)
    : QObject(parent)
{
}

FilePicker::~FilePicker()
{
    delete m_dialog;
}

QString FilePicker::nameFilter()
{
    //% "Photos, raws, videos, audio, documents and drawings"
    return qtTrId("file_picker_filter") + QStringLiteral(" (") + AcceptedFileTypes::allowedContentTypes().join(u' ')
        + u')';
}

QByteArray FilePicker::preferredPlatformTheme(const QByteArray &requestedTheme, const QByteArray &currentDesktop)
{
    if (!requestedTheme.isEmpty())
        return {};
    const QByteArray desktop = currentDesktop.toLower();
    for (const char *own : {"gnome", "kde", "unity", "x-cinnamon", "mate", "xfce", "budgie", "pantheon"}) {
        if (desktop.split(':').contains(own))
            return {};
    }
    return QByteArrayLiteral("xdgdesktopportal");
}

void FilePicker::open()
{
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    // No parent widget: the window is Qt Quick. The dialog deletes itself.
    auto *dialog = new QFileDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    //% "Add Files"
    dialog->setWindowTitle(qtTrId("file_picker_title"));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilter(nameFilter());
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    dialog->setDirectory(m_folder);
    connect(dialog, &QFileDialog::accepted, this, [this, dialog] {
        m_folder = dialog->directory().absolutePath();
        emit chosen(dialog->selectedUrls());
    });
    m_dialog = dialog;
    dialog->open();
}
