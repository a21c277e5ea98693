#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <QString>
#include <QVariant>

// What the settings window shows: the app's version, whether the bundled
// exiftool is there, and whether tools run sandboxed. Nothing is cached but
// the sandbox probe: every read looks again, so a tool added or removed while
// the app runs shows on the next redraw.
class SettingsInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(QString appVersion READ appVersion NOTIFY refreshed)
    Q_PROPERTY(bool exiftoolAvailable READ exiftoolAvailable NOTIFY refreshed)
    // "Tools run without a sandbox: <reason>", or empty while they run in one
    // (or the probe has not answered yet).
    Q_PROPERTY(QString sandboxNote READ sandboxNote NOTIFY refreshed)
    // The same words, once, when the probe finds no sandbox: for the window
    // to show as the app starts. Empty otherwise and once dismissed.
    Q_PROPERTY(QString startNotice READ startNotice NOTIFY startNoticeChanged)

public:
    // `version` is the version the build recorded (a string), or anything
    // else when it recorded none; `resourceDirectory` empty means the app's own.
    explicit SettingsInfo(QVariant version, QString resourceDirectory = {}, QObject *parent = nullptr);

    QString appVersion() const;
    bool exiftoolAvailable() const;
    QString sandboxNote() const;
    QString startNotice() const { return m_startNotice; }

    // Probes the sandbox off this thread; the note and notice follow.
    void probeSandbox();
    Q_INVOKABLE void dismissStartNotice();

    // Asks views to read both values again (the window calls it when shown).
    Q_INVOKABLE void refresh() { emit refreshed(); }

    // The version text: the recorded version when it is a string, else "1.0".
    static QString versionText(const QVariant &version);

signals:
    void refreshed();
    void startNoticeChanged();

private:
    QVariant m_version;
    QString m_resourceDirectory;
    QString m_startNotice;
};
