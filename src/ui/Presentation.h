#pragma once

#include <FileListModel.h>

#include <QObject>
#include <QStringList>
#include <QUuid>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// What the views compute, answered by the tested C++ helpers: texts with
// numbers, the file-type icon, the metadata comparison, the dialog filters.
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
    Q_INVOKABLE QString keyCountsText(qint64 before, qint64 after) const;
    Q_INVOKABLE QString rowCountText(qint64 rows) const;
    Q_INVOKABLE QString runSummary(qint64 cleaned, qint64 notCleaned) const;

    Q_INVOKABLE QString fileSymbol(const QString &extension) const;
    Q_INVOKABLE QString fileTint(const QString &extension) const;
    // Only processed rows open: done or error (a FileListModel::Status).
    Q_INVOKABLE bool canExpand(int status) const;

    // For MetadataLogView, the log of one row of the list: errorMessage
    // (string, empty when none), hasComparison (bool), before and after
    // (lists of {key, value, removed}).
    Q_INVOKABLE QVariantMap metadataLog(FileListModel *files, int row) const;
    // "Kept, as chosen in Settings: dates, credit" for a file cleaned so; empty otherwise.
    Q_INVOKABLE QString keptNote(FileListModel *files, int row) const;
};
