#include "TessalyViewModel.h"

#include <SupportedFormat.h>
#include <ToolJobPool.h>

#include <QFuture>
#include <QFutureWatcher>
#include <QSet>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

TessalyViewModel::TessalyViewModel(ModelOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_pool(m_options.pool ? m_options.pool : toolJobPool())
{
    connect(&m_files, &FileListModel::mutated, this, &TessalyViewModel::filesChanged);
    m_runTail.setSingleShot(true);
    m_runTail.setTimerType(Qt::PreciseTimer);
    m_runTail.setInterval(m_options.runTail);
    connect(&m_runTail, &QTimer::timeout, this, [this] { setIsProcessing(false); });
}

// Jobs hold only values and their continuations are bound to this object, so
// results that arrive after it is gone are simply dropped.
TessalyViewModel::~TessalyViewModel() = default;

void TessalyViewModel::setShowFilePicker(bool show)
{
    if (m_showFilePicker == show)
        return;
    m_showFilePicker = show;
    emit showFilePickerChanged();
}

double TessalyViewModel::progress() const
{
    if (m_totalCount < 1)
        return 0.0;
    return double(m_doneCount + m_errorCount) / double(m_totalCount);
}

void TessalyViewModel::addFiles(const QList<QUrl> &urls)
{
    QSet<QUrl> listed;
    listed.reserve(m_files.items().size());
    for (const FileItem &item : m_files.items())
        listed.insert(item.url);

    QList<FileItem> accepted;
    for (const QUrl &url : urls) {
        if (!parseSupportedFormat(lowerCasePathExtension(url)))
            continue;
        if (listed.contains(url))
            continue;
        // A URL repeated within one call yields one item, like one listed before.
        listed.insert(url);
        accepted.append(FileItem::fromUrl(url));
    }
    const bool addedAny = !accepted.isEmpty();
    m_files.append(std::move(accepted));
    updateCounters();

    if (addedAny)
        QMetaObject::invokeMethod(this, &TessalyViewModel::cleanAll, Qt::QueuedConnection);
}

void TessalyViewModel::removeFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row >= 0)
        m_files.removeRow(row);
    else
        m_files.removeNone();
    updateCounters();
}

void TessalyViewModel::clearList()
{
    m_files.clear();
    updateCounters();
}

void TessalyViewModel::updateCounters()
{
    qint64 done = 0, error = 0, pending = 0;
    for (const FileItem &item : m_files.items()) {
        switch (item.status) {
        case FileStatus::done:
            ++done;
            break;
        case FileStatus::error:
            ++error;
            break;
        case FileStatus::pending:
            ++pending;
            break;
        case FileStatus::processing:
            break;
        }
    }
    const qint64 total = m_files.items().size();

    bool progressMoved = false;
    auto write = [&](qint64 &field, qint64 value, void (TessalyViewModel::*changed)(), bool affectsProgress) {
        if (field == value)
            return;
        field = value;
        emit(this->*changed)();
        progressMoved |= affectsProgress;
    };
    write(m_totalCount, total, &TessalyViewModel::totalCountChanged, true);
    write(m_doneCount, done, &TessalyViewModel::doneCountChanged, true);
    write(m_errorCount, error, &TessalyViewModel::errorCountChanged, true);
    write(m_pendingCount, pending, &TessalyViewModel::pendingCountChanged, false);
    if (progressMoved)
        emit progressChanged();
}

void TessalyViewModel::setIsProcessing(bool processing)
{
    if (m_isProcessing == processing)
        return;
    m_isProcessing = processing;
    emit isProcessingChanged();
}

void TessalyViewModel::cleanAll()
{
    // Files dropped while a run is under way join it (even during its tail)
    // instead of waiting, pending, for a run nobody would start.
    const bool joining = m_isProcessing;
    setIsProcessing(true);

    QList<Job> work;
    const QList<FileItem> &items = m_files.items();
    for (int row = 0; row < items.size(); ++row) {
        if (items[row].status != FileStatus::pending)
            continue;
        work.append(Job{items[row].id, items[row].url, /*partOfRun=*/true});
        m_files.update(row, [](FileItem &item) { item.status = FileStatus::processing; }, {FileListModel::StatusRole});
    }
    if (joining && work.isEmpty())
        return;
    updateCounters();

    m_runTail.stop();
    m_runJobsOutstanding += work.size();
    for (const Job &job : work)
        startJob(job.id, job.url, job.partOfRun);
    if (m_runJobsOutstanding == 0)
        m_runTail.start();
}

void TessalyViewModel::cleanSingleFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row < 0 || m_files.items()[row].status != FileStatus::pending)
        return;
    m_files.update(row, [](FileItem &item) { item.status = FileStatus::processing; }, {FileListModel::StatusRole});
    updateCounters();
    startJob(id, m_files.items()[row].url, /*partOfRun=*/false);
}

void TessalyViewModel::startJob(const QUuid &id, const QUrl &url, bool partOfRun)
{
    m_queuedJobs.push_back(Job{id, url, partOfRun});
    feedPool();
}

// Every job is accepted at once, but only a few per worker thread wait in the
// pool: a drop of thousands of files then costs the UI thread a queue append
// per file instead of a burst of thousands of tasks, and memory stays flat.
void TessalyViewModel::feedPool()
{
    const int limit = 2 * std::max(1, m_pool->maxThreadCount());
    while (m_jobsInFlight < limit && !m_queuedJobs.empty()) {
        const Job job = m_queuedJobs.front();
        m_queuedJobs.pop_front();
        ++m_jobsInFlight;
        // A watcher, not QFuture::then(this, ...): with Qt 6.4 a continuation
        // attached just as the job finishes can run twice, and its second run
        // crashes the app. A watcher reports once, and never after the model is gone.
        auto *watcher = new QFutureWatcher<CleanResult>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, partOfRun = job.partOfRun] {
            const CleanResult result = watcher->result();
            watcher->deleteLater();
            --m_jobsInFlight;
            applyResult(result);
            if (partOfRun)
                finishRunJob();
            feedPool();
        });
        watcher->setFuture(QtConcurrent::run(m_pool, &TessalyViewModel::processFileInBackground, job.id, job.url,
                                             m_options.service));
    }
}

void TessalyViewModel::finishRunJob()
{
    // The run's last result is in: keep the run visible a moment longer.
    if (--m_runJobsOutstanding == 0)
        m_runTail.start();
}

void TessalyViewModel::applyResult(const CleanResult &result)
{
    const int row = m_files.rowOf(result.id);
    if (row < 0)
        return;

    m_files.update(row, [&](FileItem &item) { item.metadataBefore = result.metadataBefore; },
                   {FileListModel::BeforeCountRole, FileListModel::FileItemRole});
    m_files.update(row, [&](FileItem &item) { item.metadataAfter = result.metadataAfter; },
                   {FileListModel::AfterCountRole, FileListModel::FileItemRole});
    if (result.success) {
        m_files.update(row, [](FileItem &item) { item.status = FileStatus::done; },
                       {FileListModel::StatusRole, FileListModel::FileItemRole});
    } else {
        m_files.update(row, [&](FileItem &item) { item.errorMessage = result.errorMessage; },
                       {FileListModel::ErrorMessageRole, FileListModel::FileItemRole});
        m_files.update(row, [](FileItem &item) { item.status = FileStatus::error; },
                       {FileListModel::StatusRole, FileListModel::FileItemRole});
    }
    updateCounters();
}

CleanResult TessalyViewModel::processFileInBackground(const QUuid &id, const QUrl &url, const ServiceOptions &options)
{
    auto service = ExifToolService::create(options);
    if (!service)
        return CleanResult::failed(id, describe(service.error()));

    auto before = service.value().readMetadata(url);
    if (!before)
        return CleanResult::failed(id, describe(before.error()));

    if (auto stripped = service.value().stripMetadata(url); !stripped)
        return CleanResult::failed(id, describe(stripped.error()));

    auto after = service.value().readMetadata(url);
    if (!after)
        return CleanResult::failed(id, describe(after.error()));

    return CleanResult::succeeded(id, std::move(before).value(), std::move(after).value());
}
