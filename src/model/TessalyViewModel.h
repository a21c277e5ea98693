#pragma once

#include "FileListModel.h"

#include <CleanResult.h>
#include <ExifToolService.h>

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <deque>

class QThreadPool;

// What the model needs from its surroundings. The app uses the defaults;
// tests inject a fake tool, a small pool or a short tail.
struct ModelOptions
{
    ServiceOptions service;
    QThreadPool *pool = nullptr; // null: the tool layer's shared pool
    // How long isProcessing stays true after a clean-all run's last result.
    std::chrono::milliseconds runTail{800};
};

// The one model object: the file list, its counters and the cleaning
// pipeline. Lives on the UI thread and is only ever touched there; jobs on
// worker threads get an id and a URL by value and hand back a CleanResult.
class TessalyViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(FileListModel *files READ fileList CONSTANT)
    Q_PROPERTY(bool hasFiles READ hasFiles NOTIFY filesChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(bool showFilePicker READ showFilePicker WRITE setShowFilePicker NOTIFY showFilePickerChanged)
    Q_PROPERTY(qint64 totalCount READ totalCount NOTIFY totalCountChanged)
    Q_PROPERTY(qint64 doneCount READ doneCount NOTIFY doneCountChanged)
    Q_PROPERTY(qint64 errorCount READ errorCount NOTIFY errorCountChanged)
    Q_PROPERTY(qint64 pendingCount READ pendingCount NOTIFY pendingCountChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    explicit TessalyViewModel(ModelOptions options, QObject *parent = nullptr);
    ~TessalyViewModel() override;

    FileListModel *fileList() { return &m_files; }
    const QList<FileItem> &files() const { return m_files.items(); }
    bool hasFiles() const { return !m_files.items().isEmpty(); }

    bool isProcessing() const { return m_isProcessing; }
    bool showFilePicker() const { return m_showFilePicker; }
    void setShowFilePicker(bool show);

    qint64 totalCount() const { return m_totalCount; }
    qint64 doneCount() const { return m_doneCount; }
    qint64 errorCount() const { return m_errorCount; }
    qint64 pendingCount() const { return m_pendingCount; }
    // Share of the list that is finished (done or error); 0 for an empty list.
    double progress() const;

    // Appends the supported, not yet listed URLs as pending items and, if any
    // was added, schedules cleanAll on the UI thread.
    Q_INVOKABLE void addFiles(const QList<QUrl> &urls);
    Q_INVOKABLE void removeFile(const QUuid &id);
    Q_INVOKABLE void clearList();

    // Starts a run over every pending item; while a run is active (its tail
    // included) the pending items join it. Results arrive later, on the UI
    // thread.
    void cleanAll();
    // Cleans one pending item, run or no run. Does nothing for an unknown id
    // or an item that is not pending.
    Q_INVOKABLE void cleanSingleFile(const QUuid &id);

    // One file's job: read, strip, read again. Runs on a worker thread and
    // never fails: every failure becomes a failed result.
    static CleanResult processFileInBackground(const QUuid &id, const QUrl &url, const ServiceOptions &options);

signals:
    // Emitted by every change of the list, even one that changes nothing.
    void filesChanged();
    void isProcessingChanged();
    void showFilePickerChanged();
    void totalCountChanged();
    void doneCountChanged();
    void errorCountChanged();
    void pendingCountChanged();
    void progressChanged();

private:
    void applyResult(const CleanResult &result);
    void updateCounters();
    void setIsProcessing(bool processing);
    struct Job
    {
        QUuid id;
        QUrl url;
        bool partOfRun;
    };
    // Queues one job; its result is applied on the UI thread.
    void startJob(const QUuid &id, const QUrl &url, bool partOfRun);
    // Hands queued jobs to the pool while fewer than a few per thread are in flight.
    void feedPool();
    void finishRunJob();

    ModelOptions m_options;
    QThreadPool *m_pool;
    FileListModel m_files;
    bool m_isProcessing = false;
    bool m_showFilePicker = false;
    qint64 m_totalCount = 0;
    qint64 m_doneCount = 0;
    qint64 m_errorCount = 0;
    qint64 m_pendingCount = 0;
    qint64 m_runJobsOutstanding = 0;
    QTimer m_runTail;
    std::deque<Job> m_queuedJobs;
    int m_jobsInFlight = 0;
};
