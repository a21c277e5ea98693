#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <optional>

// One Tessaly per session. The first launch takes a name on the session bus;
// a later one hands its files to it over D-Bus and exits, and the first
// window comes to the front. Without a session bus every launch runs alone.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tessaly.Tessaly")

public:
    static constexpr const char *serviceName = "org.tessaly.Tessaly";
    static constexpr const char *objectPath = "/org/tessaly/Tessaly";

    explicit SingleInstance(QObject *parent = nullptr);

    // Gives `urls` (possibly none) to the instance already running, with the
    // launch's --copy or --in-place. True when one took them; false when
    // there is none or no session bus.
    static bool handOver(const QList<QUrl> &urls, std::optional<bool> keepOriginal, bool review = false);

    // Makes this process the one that later launches hand over to. False
    // without a session bus or when another process holds the name.
    bool registerInstance();

public slots:
    // Called over D-Bus by a later launch: file URLs, absolute, and "copy",
    // "in-place" or "" (as the settings say), followed by " review" when the
    // files are to wait for the person's click.
    Q_SCRIPTABLE void Open(const QStringList &files, const QString &mode);

signals:
    void openRequested(const QList<QUrl> &urls, std::optional<bool> keepOriginal, bool review);
};
