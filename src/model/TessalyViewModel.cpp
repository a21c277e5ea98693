#include "TessalyViewModel.h"

#include <LocalName.h>

#include <QDir>
#include <QSet>

namespace {

// A drop of thousands of files is taken in slices of at most this many, and
// each turn of the event loop takes slices for no longer than the budget, so
// that the window keeps answering meanwhile. The budget is wall time: with
// every core busy cleaning, the same work takes several times longer.
constexpr qsizetype intakeSlice = 100;
constexpr qint64 intakeTurnBudgetNs = 5'000'000;

// Percent-encoded, so that names that are not UTF-8 stay apart.
QString pathKey(const QUrl &url)
{
    return url.isLocalFile() ? QDir::cleanPath(url.path(QUrl::FullyEncoded)) : url.toString();
}

} // namespace

TessalyViewModel::TessalyViewModel(const FileCleaner &cleaner, QThreadPool &pool, ModelOptions options,
                                   QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_queue(cleaner, pool)
{
    connect(&m_files, &FileListModel::mutated, this, &TessalyViewModel::filesChanged);
    connect(&m_queue, &CleaningQueue::started, this, &TessalyViewModel::markStarted);
    connect(&m_queue, &CleaningQueue::finished, this, &TessalyViewModel::applyOutcomes);
    m_runTail.setSingleShot(true);
    m_runTail.setTimerType(Qt::PreciseTimer);
    m_runTail.setInterval(m_options.runTail);
    connect(&m_runTail, &QTimer::timeout, this, [this] {
        setIsProcessing(false);
        emit runEnded(m_runCleaned, m_runNotCleaned, m_runClock.elapsed());
    });
    // A timer, not a queued call: queued calls run back to back in one pass
    // of the event loop, and input and painting would wait for several slices.
    m_intakeTurn.setSingleShot(true);
    m_intakeTurn.setInterval(0);
    connect(&m_intakeTurn, &QTimer::timeout, this, &TessalyViewModel::takeIntakeSlice);
}

double TessalyViewModel::progress() const
{
    if (m_totalCount < 1)
        return 0.0;
    return double(m_doneCount + m_errorCount + m_stoppedCount) / double(m_totalCount);
}

void TessalyViewModel::addFiles(const QList<QUrl> &urls, AdditionChoices choices)
{
    choices.review |= m_reviewEveryAddition;
    if (urls.size() <= intakeSlice && m_intake.empty()) {
        addSlice(urls, choices);
        return;
    }
    const bool idle = m_intake.empty();
    for (const QUrl &url : urls)
        m_intake.emplace_back(url, choices);
    if (idle)
        takeIntakeSlice();
}

void TessalyViewModel::takeIntakeSlice()
{
    QElapsedTimer turn;
    turn.start();
    do {
        // A slice ends early where the launch's choices change.
        const AdditionChoices choices = m_intake.front().second;
        QList<QUrl> slice;
        while (!m_intake.empty() && slice.size() < intakeSlice && m_intake.front().second == choices) {
            slice.append(std::move(m_intake.front().first));
            m_intake.pop_front();
        }
        addSlice(slice, choices);
    } while (!m_intake.empty() && turn.nsecsElapsed() < intakeTurnBudgetNs);
    if (!m_intake.empty())
        m_intakeTurn.start();
}

void TessalyViewModel::addSlice(const QList<QUrl> &urls, AdditionChoices choices)
{
    QList<FileItem> accepted;
    accepted.reserve(urls.size());
    for (const QUrl &url : urls) {
        FileItem item = FileItem::fromUrl(url);
        if (!item.format)
            continue;
        item.keepOriginal = choices.keepOriginal;
        if (choices.review)
            item.status = FileStatus::ready;
        if (url.isLocalFile())
            item.identity = FileIdentity::of(localPathBytes(url));
        // A file is listed once, whatever it is called; a file repeated
        // within one call yields one item, like one listed before. Added
        // again after it failed or was stopped, it is tried again.
        if (const std::optional<QUuid> listed = listedAs(item)) {
            retryFile(*listed);
            continue;
        }
        remember(item);
        accepted.append(std::move(item));
    }
    if (!choices.review && !accepted.isEmpty()) {
        if (m_added.isEmpty())
            QMetaObject::invokeMethod(this, &TessalyViewModel::cleanAdded, Qt::QueuedConnection);
        for (const FileItem &item : std::as_const(accepted))
            m_added.append(item.id);
    }
    m_files.append(std::move(accepted));
    updateCounters();
}

std::optional<QUuid> TessalyViewModel::listedAs(const FileItem &item) const
{
    const QUuid id = item.identity ? m_listedFiles.value(*item.identity) : m_listedPaths.value(pathKey(item.url));
    if (id.isNull())
        return std::nullopt;
    return id;
}

void TessalyViewModel::remember(const FileItem &item)
{
    if (item.identity)
        m_listedFiles.insert(*item.identity, item.id);
    else
        m_listedPaths.insert(pathKey(item.url), item.id);
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
    if (row < 0)
        return;
    m_queue.cancel(id);
    forget(m_files.items()[row]);
    m_files.removeRow(row);
    updateCounters();
}

void TessalyViewModel::clearList()
{
    m_queue.stop();
    // The rest of a drop still being taken in goes with the list.
    m_intake.clear();
    m_intakeTurn.stop();
    m_added.clear();
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
    write(m_stoppedCount, m_files.countOf(FileStatus::stopped), &TessalyViewModel::stoppedCountChanged, true);
    write(m_readyCount, m_files.countOf(FileStatus::ready), &TessalyViewModel::readyCountChanged, false);
    write(m_unfinishedCount, m_files.countOf(FileStatus::pending) + m_files.countOf(FileStatus::processing),
          &TessalyViewModel::unfinishedCountChanged, false);
    if (progressMoved)
        emit progressChanged();
    const bool canStop = !m_queued.isEmpty();
    if (canStop != m_canStop) {
        m_canStop = canStop;
        emit canStopChanged();
    }
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
    QList<int> rows;
    const QList<FileItem> &items = m_files.items();
    for (int row = 0; row < items.size(); ++row) {
        if (waitsForQueue(row))
            rows.append(row);
    }
    startRun(rows);
}

bool TessalyViewModel::waitsForQueue(int row) const
{
    const FileItem &item = m_files.items()[row];
    return item.status == FileStatus::pending && !m_queued.contains(item.id);
}

void TessalyViewModel::cleanAdded()
{
    // Only the rows added since the last call: a drop of 100,000 files is
    // taken in a thousand slices, and scanning the whole list after each
    // would cost as much again as the list is long.
    QList<int> rows;
    for (const QUuid &id : std::as_const(m_added)) {
        const int row = m_files.rowOf(id);
        if (row >= 0 && waitsForQueue(row))
            rows.append(row);
    }
    m_added.clear();
    startRun(rows);
}

void TessalyViewModel::startRun(const QList<int> &rows)
{
    // Files dropped while a run is under way join it (even during its tail)
    // instead of waiting, pending, for a run nobody would start.
    const bool joining = m_isProcessing;
    if (!joining) {
        m_runCleaned = m_runNotCleaned = 0;
        m_runClock.start();
    }
    setIsProcessing(true);
    if (joining && rows.isEmpty())
        return;
    m_runTail.stop();
    m_runJobsOutstanding += rows.size();
    for (int row : rows)
        queueRow(row, /*partOfRun=*/true);
    updateCounters();
    if (m_runJobsOutstanding == 0)
        m_runTail.start();
}

void TessalyViewModel::cleanSingleFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row < 0 || m_files.items()[row].status != FileStatus::pending || m_queued.contains(id))
        return;
    queueRow(row, /*partOfRun=*/false);
    updateCounters();
}

void TessalyViewModel::retryFile(const QUuid &id)
{
    const int row = m_files.rowOf(id);
    if (row < 0)
        return;
    const FileStatus status = m_files.items()[row].status;
    if (status != FileStatus::error && status != FileStatus::stopped)
        return;
    m_files.update(row, [](FileItem &item) {
        item.status = FileStatus::pending;
        item.failure.reset();
    }, {FileListModel::StatusRole, FileListModel::ErrorMessageRole});
    updateCounters();
    QMetaObject::invokeMethod(this, &TessalyViewModel::cleanAll, Qt::QueuedConnection);
}

void TessalyViewModel::cleanReady()
{
    QList<int> rows;
    for (int row = 0; row < m_files.items().size(); ++row) {
        if (m_files.items()[row].status == FileStatus::ready)
            rows.append(row);
    }
    m_files.updateRows(rows, [](FileItem &item) { item.status = FileStatus::pending; }, {FileListModel::StatusRole});
    updateCounters();
    if (!rows.isEmpty())
        cleanAll();
}

void TessalyViewModel::stop()
{
    m_intake.clear();
    m_intakeTurn.stop();
    m_queue.stop();
}

void TessalyViewModel::queueRow(int row, bool partOfRun)
{
    const FileItem &item = m_files.items()[row];
    CleaningChoices choices = m_choices;
    choices.keepOriginal = item.keepOriginal.value_or(choices.keepOriginal);
    m_queued.insert(item.id);
    m_queue.enqueue(CleanRequest{item.id, item.url, item.format, item.identity, choices}, partOfRun);
}

void TessalyViewModel::markStarted(const QList<QUuid> &ids)
{
    QList<int> rows;
    for (const QUuid &id : ids) {
        const int row = m_files.rowOf(id);
        if (row >= 0 && m_files.items()[row].status == FileStatus::pending)
            rows.append(row);
    }
    m_files.updateRows(rows, [](FileItem &item) { item.status = FileStatus::processing; }, {FileListModel::StatusRole});
    updateCounters();
}

void TessalyViewModel::applyOutcomes(const QList<CleaningQueue::Outcome> &outcomes)
{
    QList<int> stoppedRows;
    for (const CleaningQueue::Outcome &outcome : outcomes) {
        m_queued.remove(outcome.id);
        if (const int row = m_files.rowOf(outcome.id); row >= 0) {
            if (outcome.result)
                applyResult(row, *outcome.result);
            else
                stoppedRows.append(row);
        }
        if (outcome.partOfRun) {
            ++(outcome.result && outcome.result->success() ? m_runCleaned : m_runNotCleaned);
            finishRunJob();
        }
    }
    m_files.updateRows(stoppedRows, [](FileItem &item) { item.status = FileStatus::stopped; },
                       {FileListModel::StatusRole});
    // Once for the lot: each change of a counter re-evaluates the window's texts.
    updateCounters();
}

void TessalyViewModel::finishRunJob()
{
    // The run's last result is in: keep the run visible a moment longer.
    if (--m_runJobsOutstanding == 0)
        m_runTail.start();
}

void TessalyViewModel::applyResult(int row, const CleanResult &result)
{
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
            item.kept = result.kept;
            if (result.identity)
                item.identity = result.identity;
            item.failure = result.failure;
            item.status = result.success() ? FileStatus::done : FileStatus::error;
        },
        FileListModel::resultRoles());
}
