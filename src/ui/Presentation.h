#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Texts with numbers that the views compute, answered by the tested C++
// helpers. What a file row shows comes with the row (FileRows).
// Stateless, so QML may create it.
class Presentation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE QString counterText(qint64 total, qint64 done, qint64 error) const;
    Q_INVOKABLE qint64 percentage(double progress) const;
    Q_INVOKABLE QString percentageText(qint64 percentage) const;
    Q_INVOKABLE bool isProgressComplete(double progress) const;
    Q_INVOKABLE QString rowCountText(qint64 rows) const;
    Q_INVOKABLE QString runSummary(qint64 cleaned, qint64 notCleaned) const;
};
