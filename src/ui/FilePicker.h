#pragma once

#include <QByteArray>
#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// The open dialog for files. Qt Widgets' QFileDialog shows
// the desktop's own dialog where the platform theme has one (the XDG portal,
// GTK, KDE) and otherwise its own, which selects several files and filters by
// type; Qt Quick's dialog on Qt 6.4 without a platform theme does neither.
// Needs a QApplication.
class FilePicker : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit FilePicker(QObject *parent = nullptr);
    ~FilePicker() override;

    // Several supported files. A dialog that is already open stays open and
    // comes to the front.
    Q_INVOKABLE void open();

    // The dialog's single filter: a readable name and the patterns, each
    // extension in lower and upper case.
    static QString nameFilter();

    // The platform theme to ask for before the QApplication is made, or
    // nothing to keep Qt's choice. GNOME's and KDE's own themes already bring
    // their dialogs; elsewhere the XDG portal's theme brings the portal's
    // file chooser where one answers, and Qt's own dialog where none does.
    static QByteArray preferredPlatformTheme(const QByteArray &requestedTheme, const QByteArray &currentDesktop);

    // The open dialog, if any (for tests).
    QFileDialog *dialog() const { return m_dialog; }

signals:
    // What the user chose: files, or the one folder.
    void chosen(const QList<QUrl> &urls);

private:

    QPointer<QFileDialog> m_dialog;
    QString m_folder; // where the next dialog starts
};
