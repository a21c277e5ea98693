#pragma once

#include "AdditionChoices.h"
#include "CleaningQueue.h"
#include "FileListModel.h"
#include "NotCleanedFilter.h"

#include <CleanResult.h>
#include <FileCleaner.h>

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <deque>
#include <optional>

class QThreadPool;

struct ModelOptions
{
    // How long isProcessing stays true after a clean-all run's last result.
    std::chrono::milliseconds runTail{800};
};

// The one model object: the file list, its counters and the runs over it;
// the queue does the cleaning. Lives on the UI thread and is only ever
// touched there. Whoever makes the model owns the cleaner and the pool and
// keeps them alive longer; the model waits for its own jobs when it goes.
class TessalyViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(FileListModel *files READ fileList CONSTANT)
    Q_PROPERTY(NotCleanedFilter *notCleanedFiles READ notCleanedFiles CONSTANT)
    Q_PROPERTY(bool hasFiles READ hasFiles NOTIFY filesChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(bool canStop READ canStop NOTIFY canStopChanged)
    Q_PROPERTY(qint64 totalCount READ totalCount NOTIFY totalCountChanged)
    Q_PROPERTY(qint64 doneCount READ doneCount NOTIFY doneCountChanged)
    Q_PROPERTY(qint64 errorCount READ errorCount NOTIFY errorCountChanged)
    Q_PROPERTY(qint64 pendingCount READ pendingCount NOTIFY pendingCountChanged)
    Q_PROPERTY(qint64 stoppedCount READ stoppedCount NOTIFY stoppedCountChanged)
    // Files listed for review, waiting for cleanReady().
    Q_PROPERTY(qint64 readyCount READ readyCount NOTIFY readyCountChanged)
    // Files waiting or being cleaned: what a quit now would leave as it is.
    Q_PROPERTY(qint64 unfinishedCount READ unfinishedCount NOTIFY unfinishedCountChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    TessalyViewModel(const FileCleaner &cleaner, QThreadPool &pool, ModelOptions options = {},
                     QObject *parent = nullptr);

    FileListModel *fileList() { return &m_files; }
    NotCleanedFilter *notCleanedFiles() { return &m_notCleaned; }
    const QList<FileItem> &files() const { return m_files.items(); }
    bool hasFiles() const { return !m_files.items().isEmpty(); }

    bool isProcessing() const { return m_isProcessing; }
    bool canStop() const { return m_canStop; }

    qint64 totalCount() const { return m_totalCount; }
    qint64 doneCount() const { return m_doneCount; }
    qint64 errorCount() const { return m_errorCount; }
    qint64 pendingCount() const { return m_pendingCount; }
    qint64 stoppedCount() const { return m_stoppedCount; }
    qint64 readyCount() const { return m_readyCount; }
    qint64 unfinishedCount() const { return m_unfinishedCount; }
    // Share of the list that is finished (done, failed or stopped); 0 for an empty list.
    double progress() const;

    // Applies to the cleans that start from now on.
    void setCleaningChoices(const CleaningChoices &choices) { m_choices = choices; }
    const CleaningChoices &cleaningChoices() const { return m_choices; }

    // Every later addition waits for cleanReady(), as if asked for review.
    void setReviewEveryAddition(bool review) { m_reviewEveryAddition = review; }

    // Appends the supported files not yet listed as pending items and, if any
    // was added, schedules their clean on the UI thread, as part of the run
    // under way or of a new one; for review, as ready
    // items that wait for cleanReady(). A file is listed once
    // whatever it is called: by a link, "a//b", a percent escape; one listed
    // that failed or was stopped is tried again. More than a hundred URLs
    // are taken over several turns of the event loop, a few milliseconds each.
    Q_INVOKABLE void addFiles(const QList<QUrl> &urls) { addFiles(urls, AdditionChoices{}); }
    void addFiles(const QList<QUrl> &urls, AdditionChoices choices);
    // The file leaves the list and its clean is given up: a waiting file is
    // never touched, one being cleaned is left as it was.
    Q_INVOKABLE void removeFile(const QUuid &id);
    Q_INVOKABLE void clearList();

    // The files listed for review are cleaned now.
    Q_INVOKABLE void cleanReady();
    // Starts a run over every pending item not yet queued; while a run is
    // active (its tail included) they join it. Results arrive later, on the
    // UI thread.
    void cleanAll();
    // Cleans one pending item, run or no run. Does nothing for an unknown id
    // or an item that is not pending.
    Q_INVOKABLE void cleanSingleFile(const QUuid &id);
    // A failed or stopped item is cleaned again.
    Q_INVOKABLE void retryFile(const QUuid &id);
    // Files not yet started are left alone and marked stopped; files being
    // cleaned finish or are rolled back. Their rows say which.
    Q_INVOKABLE void stop();

signals:
    // Emitted by every change of the list, even one that changes nothing.
    void filesChanged();
    void isProcessingChanged();
    void canStopChanged();
    void totalCountChanged();
    void doneCountChanged();
    void errorCountChanged();
    void pendingCountChanged();
    void stoppedCountChanged();
    void readyCountChanged();
    void unfinishedCountChanged();
    void progressChanged();
    // A clean-all run is over (its tail included): how many of its files
    // were cleaned, how many were not (failed or stopped), and how long it took.
    void runEnded(qint64 cleaned, qint64 notCleaned, qint64 milliseconds);

private:
    void addSlice(const QList<QUrl> &urls, AdditionChoices choices);
    void takeIntakeSlice();
    void cleanAdded();
    // Pending and not yet handed to the queue.
    bool waitsForQueue(int row) const;
    void startRun(const QList<int> &rows);
    // The item listed for this file, if any.
    std::optional<QUuid> listedAs(const FileItem &item) const;
    void remember(const FileItem &item);
    void forget(const FileItem &item);
    void markStarted(const QList<QUuid> &ids);
    void applyOutcomes(const QList<CleaningQueue::Outcome> &outcomes);
    void applyResult(int row, const CleanResult &result);
    void updateCounters();
    void setIsProcessing(bool processing);
    void queueRow(int row, bool partOfRun);
    void finishRunJob();

    ModelOptions m_options;
    CleaningChoices m_choices;
    FileListModel m_files;
    NotCleanedFilter m_notCleaned{&m_files};
    bool m_isProcessing = false;
    bool m_canStop = false;
    qint64 m_totalCount = 0;
    qint64 m_doneCount = 0;
    qint64 m_errorCount = 0;
    qint64 m_pendingCount = 0;
    qint64 m_stoppedCount = 0;
    qint64 m_readyCount = 0;
    bool m_reviewEveryAddition = false;
    qint64 m_unfinishedCount = 0;
    qint64 m_runJobsOutstanding = 0;
    qint64 m_runCleaned = 0;
    qint64 m_runNotCleaned = 0;
    QElapsedTimer m_runClock;
    QTimer m_runTail;
    // URLs of a large drop still to be taken in, with their launch's choices.
    std::deque<std::pair<QUrl, AdditionChoices>> m_intake;
    QTimer m_intakeTurn;
    QHash<FileIdentity, QUuid> m_listedFiles;
    QHash<QString, QUuid> m_listedPaths; // of listed items whose path led nowhere when added
    QSet<QUuid> m_queued; // handed to the queue and not yet reported back
    QList<QUuid> m_added; // added to be cleaned, not yet handed to the queue
    // Last, so that it goes first: it waits for its jobs when it goes.
    CleaningQueue m_queue;
};
