#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <QString>
#include <QVariant>

// What the settings window shows: the app's version and whether the bundled
// exiftool is there. Nothing is cached: every read looks again, so a tool
// added or removed while the app runs shows on the next redraw.
class SettingsInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(QString appVersion READ appVersion NOTIFY refreshed)
    Q_PROPERTY(bool exiftoolAvailable READ exiftoolAvailable NOTIFY refreshed)

public:
    // `version` is the version the build recorded (a string), or anything
    // else when it recorded none; `resourceDirectory` empty means the app's own.
    explicit SettingsInfo(QVariant version, QString resourceDirectory = {}, QObject *parent = nullptr);

    QString appVersion() const;
    bool exiftoolAvailable() const;

    // Asks views to read both values again (the window calls it when shown).
    Q_INVOKABLE void refresh() { emit refreshed(); }

    // The version text: the recorded version when it is a string, else "1.0".
    static QString versionText(const QVariant &version);

signals:
    void refreshed();

private:
    QVariant m_version;
    QString m_resourceDirectory;
};
