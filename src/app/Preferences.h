#pragma once

#include <FileCleaner.h>

#include <QObject>
#include <QSettings>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The user's choices about the result of a clean, kept with QSettings across
// restarts: replace the original or keep it and save a cleaned copy beside
// it, and whether the cleaned file keeps the original's modification date.
// A launch may override what is kept for itself (`tessaly --keep=dates`); a
// choice made in the settings window then takes over again.
class Preferences : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(bool keepOriginal READ keepOriginal WRITE setKeepOriginal NOTIFY changed)
    Q_PROPERTY(bool keepModificationDate READ keepModificationDate WRITE setKeepModificationDate NOTIFY changed)
    Q_PROPERTY(bool reviewFirst READ reviewFirst WRITE setReviewFirst NOTIFY changed)
    // The families "What to remove" leaves in the files, by key ("dates").
    Q_PROPERTY(QStringList keptFamilies READ keptFamilyKeys NOTIFY changed)
    // "Keeping: dates, credit" while something is kept; empty otherwise.
    Q_PROPERTY(QString keepingNote READ keepingNote NOTIFY changed)

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

    // What the cleans leave in the files. Stored with a version: a value
    // this version cannot read, or one of another version, removes everything.
    KeptFamilies keptFamilies() const;
    void setKeptFamilies(const KeptFamilies &kept);
    QStringList keptFamilyKeys() const;
    QString keepingNote() const;
    Q_INVOKABLE void setRemoves(const QString &family, bool remove);
    // The presets above the boxes.
    Q_INVOKABLE void removeEverything();
    Q_INVOKABLE void removeOnlyLocation();
    // The texts of a family's box, by key.
    Q_INVOKABLE QString familyLabel(const QString &family) const;
    Q_INVOKABLE QString familyWhereKept(const QString &family) const;
    Q_INVOKABLE QStringList familyKeys() const;

    // For this launch only; not stored.
    void overrideKeptFamilies(std::optional<KeptFamilies> kept);

    // What the cleans that start now are to do.
    CleaningChoices choices() const;

signals:
    void changed();

private:
    QSettings &m_settings;
    std::optional<KeptFamilies> m_keptOverride;
};
