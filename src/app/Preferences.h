#pragma once

#include <FileCleaner.h>

#include <QObject>
#include <QSettings>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The user's choices about the result of a clean, kept with QSettings across
// restarts: replace the original or keep it and save a cleaned copy beside
// it, and whether the cleaned file keeps the original's modification date.
// A launch may override the first for itself (`tessaly --copy`, `--in-place`);
// a choice made in the settings window then takes over again.
class Preferences : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(bool keepOriginal READ keepOriginal WRITE setKeepOriginal NOTIFY changed)
    Q_PROPERTY(bool keepModificationDate READ keepModificationDate WRITE setKeepModificationDate NOTIFY changed)
    Q_PROPERTY(bool reviewFirst READ reviewFirst WRITE setReviewFirst NOTIFY changed)

public:
    // `settings` is where the choices live; the app passes its own file.
    explicit Preferences(QSettings &settings, QObject *parent = nullptr);

    bool keepOriginal() const;
    void setKeepOriginal(bool keep);
    bool keepModificationDate() const;
    void setKeepModificationDate(bool keep);
    // Every file added is listed and waits for "Clean N Files". Off by default.
    bool reviewFirst() const;
    void setReviewFirst(bool review);

    // What the cleans that start now are to do.
    CleaningChoices choices() const;

signals:
    void changed();

private:
    QSettings &m_settings;
};
