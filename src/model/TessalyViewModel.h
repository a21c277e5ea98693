#pragma once

#include "FileListModel.h"

#include <CleanResult.h>
#include <FileCleaner.h>

#include <QFutureWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <deque>

class QThreadPool;

struct ModelOptions
{
    // How long isProcessing stays true after a clean-all run's last result.
    std::chrono::milliseconds runTail{800};
};

// The one model object: the file list, its counters and the cleaning
// pipeline. Lives on the UI thread and is only ever touched there; jobs on
// the pool get a request by value and hand back a CleanResult. Whoever makes
// the model owns the cleaner and the pool and keeps them alive longer; the
// model waits for its own jobs when it goes.
class TessalyViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(FileListModel *files READ fileList CONSTANT)
    Q_PROPERTY(bool hasFiles READ hasFiles NOTIFY filesChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(qint64 totalCount READ totalCount NOTIFY totalCountChanged)
    Q_PROPERTY(qint64 doneCount READ doneCount NOTIFY doneCountChanged)
    Q_PROPERTY(qint64 errorCount READ errorCount NOTIFY errorCountChanged)
    Q_PROPERTY(qint64 pendingCount READ pendingCount NOTIFY pendingCountChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    TessalyViewModel(const FileCleaner &cleaner, QThreadPool &pool, ModelOptions options = {},
                     QObject *parent = nullptr);
    ~TessalyViewModel() override;

    FileListModel *fileList() { return &m_files; }
    const QList<FileItem> &files() const { return m_files.items(); }
    bool hasFiles() const { return !m_files.items().isEmpty(); }

    bool isProcessing() const { return m_isProcessing; }

    qint64 totalCount() const { return m_totalCount; }
    qint64 doneCount() const { return m_doneCount; }
    qint64 errorCount() const { return m_errorCount; }
    qint64 pendingCount() const { return m_pendingCount; }
    // Share of the list that is finished (done or error); 0 for an empty list.
    double progress() const;

    // Applies to the cleans that start from now on.
    void setCleaningChoices(const CleaningChoices &choices) { m_choices = choices; }
    const CleaningChoices &cleaningChoices() const { return m_choices; }

    // Appends the supported files not yet listed as pending items and, if any
    // was added, schedules cleanAll on the UI thread. A file is listed once
    // whatever it is called: by a link, "a//b", a percent escape. More than
    // five hundred URLs are taken in five hundred per turn of the event loop.
    Q_INVOKABLE void addFiles(const QList<QUrl> &urls) { addFiles(urls, std::nullopt); }
    // With `keepOriginal`, these files keep or replace their originals
    // whatever the settings say (a launch's --copy or --in-place).
    void addFiles(const QList<QUrl> &urls, std::optional<bool> keepOriginal);
    Q_INVOKABLE void removeFile(const QUuid &id);
    Q_INVOKABLE void clearList();
    // The same, for views that know rows.
    Q_INVOKABLE void removeRow(int row);
    Q_INVOKABLE void cleanRow(int row);

    // Starts a run over every pending item; while a run is active (its tail
    // included) the pending items join it. Results arrive later, on the UI
    // thread.
    void cleanAll();
    // Cleans one pending item, run or no run. Does nothing for an unknown id
    // or an item that is not pending.
    Q_INVOKABLE void cleanSingleFile(const QUuid &id);

    // One file's job: read, strip, read again. Runs on a worker thread and
    // never fails: every failure becomes a failed result.
    static CleanResult processFileInBackground(const FileCleaner &cleaner, const CleanRequest &request);

signals:
    // Emitted by every change of the list, even one that changes nothing.
    void filesChanged();
    void isProcessingChanged();
    void totalCountChanged();
    void doneCountChanged();
    void errorCountChanged();
    void pendingCountChanged();
    void progressChanged();

private:
    void addSlice(const QList<QUrl> &urls, std::optional<bool> keepOriginal);
    void takeIntakeSlice();
    void remember(const FileItem &item);
    void forget(const FileItem &item);
    void applyResult(const CleanResult &result);
    void updateCounters();
    void setIsProcessing(bool processing);
    struct Job
    {
        CleanRequest request;
        bool partOfRun;
    };
    void startJob(int row, bool partOfRun);
    // Hands queued jobs to the pool while fewer than a few per thread are in flight.
    void feedPool();
    void finishRunJob();
    void applyFinished();

    const FileCleaner &m_cleaner;
    QThreadPool &m_pool;
    ModelOptions m_options;
    CleaningChoices m_choices;
    FileListModel m_files;
    bool m_isProcessing = false;
    qint64 m_totalCount = 0;
    qint64 m_doneCount = 0;
    qint64 m_errorCount = 0;
    qint64 m_pendingCount = 0;
    qint64 m_runJobsOutstanding = 0;
    QTimer m_runTail;
    struct Finished
    {
        CleanResult result;
        bool partOfRun;
    };
    std::deque<Finished> m_finished; // results waiting for the next application
    QTimer m_resultPace;
    std::deque<Job> m_queuedJobs;
    // URLs of a large drop still to be taken in, with their launch's choice.
    std::deque<std::pair<QUrl, std::optional<bool>>> m_intake;
    QTimer m_intakeTurn;
    QSet<FileIdentity> m_listedFiles;
    QSet<QString> m_listedPaths; // of listed items whose path led nowhere when added
    QList<QFutureWatcher<CleanResult> *> m_inFlight;
};
