#include "TessalyViewModel.h"

#include <QDir>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// A drop of thousands of files is taken in slices of this many, one slice per
// turn of the event loop, so that the window keeps answering meanwhile.
constexpr qsizetype intakeSlice = 500;

QString pathKey(const QUrl &url)
{
    return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : url.toString();
}

} // namespace

TessalyViewModel::TessalyViewModel(const FileCleaner &cleaner, QThreadPool &pool, ModelOptions options,
                                   QObject *parent)
    : QObject(parent)
    , m_cleaner(cleaner)
    , m_pool(pool)
    , m_options(options)
{
    connect(&m_files, &FileListModel::mutated, this, &TessalyViewModel::filesChanged);
    m_runTail.setSingleShot(true);
    m_runTail.setTimerType(Qt::PreciseTimer);
    m_runTail.setInterval(m_options.runTail);
    connect(&m_runTail, &QTimer::timeout, this, [this] { setIsProcessing(false); });
    // A timer, not a queued call: queued calls run back to back in one pass
    // of the event loop, and input and painting would wait for several slices.
    m_intakeTurn.setSingleShot(true);
    m_intakeTurn.setInterval(0);
    connect(&m_intakeTurn, &QTimer::timeout, this, &TessalyViewModel::takeIntakeSlice);
    m_resultPace.setSingleShot(true);
    m_resultPace.setInterval(100);
    connect(&m_resultPace, &QTimer::timeout, this, &TessalyViewModel::applyFinished);
}

TessalyViewModel::~TessalyViewModel()
{
    // Queued jobs never start; those under way finish (their tools stop at
    // once when the runner has been told the app is quitting) and leave
    // nothing behind before the cleaner they use goes away.
    m_queuedJobs.clear();
    for (QFutureWatcher<CleanResult> *watcher : std::as_const(m_inFlight)) {
        watcher->disconnect(this);
        watcher->waitForFinished();
    }
}

double TessalyViewModel::progress() const
{
    if (m_totalCount < 1)
        return 0.0;
    return double(m_doneCount + m_errorCount) / double(m_totalCount);
}

void TessalyViewModel::addFiles(const QList<QUrl> &urls, std::optional<bool> keepOriginal)
{
    if (urls.size() <= intakeSlice && m_intake.empty()) {
        addSlice(urls, keepOriginal);
        return;
    }
    const bool idle = m_intake.empty();
    for (const QUrl &url : urls)
        m_intake.emplace_back(url, keepOriginal);
    if (idle)
        takeIntakeSlice();
}

void TessalyViewModel::takeIntakeSlice()
{
    // A slice ends early where the launch's choice changes.
    const std::optional<bool> keepOriginal = m_intake.front().second;
    QList<QUrl> slice;
    while (!m_intake.empty() && slice.size() < intakeSlice && m_intake.front().second == keepOriginal) {
        slice.append(std::move(m_intake.front().first));
        m_intake.pop_front();
    }
    addSlice(slice, keepOriginal);
    if (!m_intake.empty())
        m_intakeTurn.start();
}

void TessalyViewModel::addSlice(const QList<QUrl> &urls, std::optional<bool> keepOriginal)
{
    QList<FileItem> accepted;
    accepted.reserve(urls.size());
    for (const QUrl &url : urls) {
        FileItem item = FileItem::fromUrl(url);
        if (!item.format)
            continue;
        item.keepOriginal = keepOriginal;
        if (url.isLocalFile())
            item.identity = FileIdentity::of(url.toLocalFile());
        // A file is listed once, whatever it is called; a file repeated
        // within one call yields one item, like one listed before.
        if (item.identity ? m_listedFiles.contains(*item.identity) : m_listedPaths.contains(pathKey(url)))
            continue;
        remember(item);
        accepted.append(std::move(item));
    }
    const bool addedAny = !accepted.isEmpty();
    m_files.append(std::move(accepted));
    updateCounters();

    if (addedAny)
        QMetaObject::invokeMethod(this, &TessalyViewModel::cleanAll, Qt::QueuedConnection);
}

void TessalyViewModel::remember(const FileItem &item)
{
    if (item.identity)
        m_listedFiles.insert(*item.identity);
    else
        m_listedPaths.insert(pathKey(item.url));
}

void TessalyViewModel::forget(const FileItem &item)
{
    if (item.identity)
        m_listedFiles.remove(*item.identity);
    else
        m_listedPaths.remove(pathKey(item.url));
}

void TessalyViewModel::removeFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row >= 0) {
        forget(m_files.items()[row]);
        m_files.removeRow(row);
    } else {
        m_files.removeNone();
    }
    updateCounters();
}

void TessalyViewModel::removeRow(int row)
{
    if (row >= 0 && row < m_files.items().size())
        removeFile(m_files.items()[row].id);
}

void TessalyViewModel::cleanRow(int row)
{
    if (row >= 0 && row < m_files.items().size())
        cleanSingleFile(m_files.items()[row].id);
}

void TessalyViewModel::clearList()
{
    // The rest of a drop still being taken in goes with the list.
    m_intake.clear();
    m_intakeTurn.stop();
    m_files.clear();
    m_listedFiles.clear();
    m_listedPaths.clear();
    updateCounters();
}

void TessalyViewModel::updateCounters()
{
    bool progressMoved = false;
    auto write = [&](qint64 &field, qint64 value, void (TessalyViewModel::*changed)(), bool affectsProgress) {
        if (field == value)
            return;
        field = value;
        emit(this->*changed)();
        progressMoved |= affectsProgress;
    };
    write(m_totalCount, m_files.items().size(), &TessalyViewModel::totalCountChanged, true);
    write(m_doneCount, m_files.countOf(FileStatus::done), &TessalyViewModel::doneCountChanged, true);
    write(m_errorCount, m_files.countOf(FileStatus::error), &TessalyViewModel::errorCountChanged, true);
    write(m_pendingCount, m_files.countOf(FileStatus::pending), &TessalyViewModel::pendingCountChanged, false);
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

    QList<int> rows;
    const QList<FileItem> &items = m_files.items();
    for (int row = 0; row < items.size(); ++row) {
        if (items[row].status == FileStatus::pending)
            rows.append(row);
    }
    if (joining && rows.isEmpty())
        return;
    m_runTail.stop();
    m_runJobsOutstanding += rows.size();
    for (int row : rows)
        startJob(row, /*partOfRun=*/true);
    updateCounters();
    feedPool();
    if (m_runJobsOutstanding == 0)
        m_runTail.start();
}

void TessalyViewModel::cleanSingleFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row < 0 || m_files.items()[row].status != FileStatus::pending)
        return;
    startJob(row, /*partOfRun=*/false);
    updateCounters();
    feedPool();
}

void TessalyViewModel::startJob(int row, bool partOfRun)
{
    m_files.update(row, [](FileItem &item) { item.status = FileStatus::processing; },
                   {FileListModel::StatusRole});
    const FileItem &item = m_files.items()[row];
    CleaningChoices choices = m_choices;
    choices.keepOriginal = item.keepOriginal.value_or(choices.keepOriginal);
    m_queuedJobs.push_back(Job{CleanRequest{item.id, item.url, item.format, item.identity, choices}, partOfRun});
}

// Every job is accepted at once, but only a few per worker thread wait in the
// pool: a drop of thousands of files then costs the UI thread a queue append
// per file instead of a burst of thousands of tasks, and memory stays flat.
void TessalyViewModel::feedPool()
{
    const int limit = 2 * std::max(1, m_pool.maxThreadCount());
    while (m_inFlight.size() < limit && !m_queuedJobs.empty()) {
        const Job job = std::move(m_queuedJobs.front());
        m_queuedJobs.pop_front();
        // A watcher, not QFuture::then(this, ...): with Qt 6.4 a continuation
        // attached just as the job finishes can run twice, and its second run
        // crashes the app. A watcher reports once, and never after the model is gone.
        auto *watcher = new QFutureWatcher<CleanResult>(this);
        m_inFlight.append(watcher);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, partOfRun = job.partOfRun] {
            m_finished.push_back({watcher->result(), partOfRun});
            m_inFlight.removeOne(watcher);
            watcher->deleteLater();
            feedPool(); // the pool first: its workers must not wait for the window
            // The last result of all is shown at once: nothing else is coming.
            if (!m_resultPace.isActive() || (m_inFlight.isEmpty() && m_queuedJobs.empty()))
                applyFinished();
        });
        watcher->setFuture(QtConcurrent::run(&m_pool, &TessalyViewModel::processFileInBackground,
                                             std::cref(m_cleaner), job.request));
    }
}

// Results are applied at once when they come alone, and at most ten times a
// second when they come in a stream: every application redraws rows, the
// counter and the progress panel, and a run of thousands of photos would
// otherwise redraw the window for each. Ten a second still reads as live.
void TessalyViewModel::applyFinished()
{
    if (m_finished.empty())
        return;
    const std::deque<Finished> finished = std::exchange(m_finished, {});
    for (const Finished &job : finished) {
        applyResult(job.result);
        if (job.partOfRun)
            finishRunJob();
    }
    // Once for the lot: each change of a counter re-evaluates the window's texts.
    updateCounters();
    m_resultPace.start();
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
    // Cleaned in place, the file is a new one: the list knows it by that now.
    if (result.identity && result.identity != m_files.items()[row].identity) {
        forget(m_files.items()[row]);
        FileItem renamed = m_files.items()[row];
        renamed.identity = result.identity;
        remember(renamed);
    }
    m_files.update(
        row,
        [&](FileItem &item) {
            item.packedBefore = result.metadataBefore;
            item.packedAfter = result.metadataAfter;
            item.cleanedCopyUrl = result.cleanedCopyUrl;
            item.stillInFile = result.stillInFile;
            item.nothingToRemove = result.nothingToRemove;
            if (result.identity)
                item.identity = result.identity;
            item.failure = result.failure;
            item.status = result.success() ? FileStatus::done : FileStatus::error;
        },
        {FileListModel::BeforeCountRole, FileListModel::AfterCountRole, FileListModel::NothingToRemoveRole,
         FileListModel::ErrorMessageRole,
         FileListModel::StatusRole, FileListModel::FileNameRole, FileListModel::PathRole, FileListModel::UrlRole});
}

CleanResult TessalyViewModel::processFileInBackground(const FileCleaner &cleaner, const CleanRequest &request)
{
    return cleaner.clean(request);
}
