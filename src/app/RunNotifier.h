#pragma once

#include <QObject>

#include <chrono>

class TessalyViewModel;

// Tells the person who looked away that a long run is over: a desktop
// notification, and the window asks for attention. A run that ends while
// the window is in front, or within a few seconds, needs neither.
class RunNotifier : public QObject
{
    Q_OBJECT

public:
    explicit RunNotifier(TessalyViewModel *model, std::chrono::milliseconds longRun = std::chrono::seconds(5),
                         QObject *parent = nullptr);

    // Whether a run of that length, ending now, is worth a word.
    bool worthTelling(qint64 milliseconds) const;

signals:
    // For tests: what was sent (title and body).
    void notified(const QString &title, const QString &body);

private:
    void runEnded(qint64 cleaned, qint64 notCleaned, qint64 milliseconds);

    std::chrono::milliseconds m_longRun;
};
