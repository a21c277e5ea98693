#include "DropIntake.h"

#include "UiTexts.h"

#include <FileItem.h>
#include <SupportedFormat.h>

#include <QCollator>
#include <QDirIterator>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

bool isFolder(const QUrl &url)
{
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir();
}

struct Expansion
{
    QList<QUrl> urls;
    qint64 fromFolders = 0;
};

// Runs on a worker thread: the folder search may read a whole disk.
Expansion expand(const QList<QUrl> &urls)
{
    Expansion result;
    for (const QUrl &url : urls) {
        if (!isFolder(url)) {
            result.urls.append(url);
            continue;
        }
        const QStringList files = DropIntake::supportedFilesIn(url.toLocalFile());
        result.fromFolders += files.size();
        for (const QString &file : files)
            result.urls.append(QUrl::fromLocalFile(file));
    }
    return result;
}

} // namespace

DropIntake::DropIntake(QObject *parent)
    : QObject(parent)
{
}

void DropIntake::setViewModel(TessalyViewModel *viewModel)
{
    if (m_viewModel == viewModel)
        return;
    m_viewModel = viewModel;
    emit viewModelChanged();
}

void DropIntake::setClearDelay(int milliseconds)
{
    if (m_clearDelay == milliseconds)
        return;
    m_clearDelay = milliseconds;
    emit clearDelayChanged();
}

void DropIntake::setConfirmationLimit(int limit)
{
    if (m_confirmationLimit == limit)
        return;
    m_confirmationLimit = limit;
    emit confirmationLimitChanged();
}

qint64 DropIntake::countUnsupported(const QList<QUrl> &urls)
{
    return std::count_if(urls.cbegin(), urls.cend(), [](const QUrl &url) {
        return !isFolder(url) && !parseSupportedFormat(lowerCasePathExtension(url));
    });
}

QStringList DropIntake::supportedFilesIn(const QString &folder)
{
    QStringList files;
    // Without FollowSymlinks the iterator does not descend into linked
    // folders; NoSymLinks also leaves out linked files.
    QDirIterator it(folder, QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (parseSupportedFormat(it.fileInfo().suffix().toLower()))
            files.append(path);
    }
    // The C locale's collation has no numeric mode.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);
    std::sort(files.begin(), files.end(), [&collator](const QString &a, const QString &b) { return collator(a, b); });
    return files;
}

void DropIntake::handleDrop(const QList<QUrl> &urls)
{
    intake(urls, true, std::nullopt);
}

void DropIntake::addPicked(const QList<QUrl> &urls, std::optional<bool> keepOriginal)
{
    intake(urls, false, keepOriginal);
}

void DropIntake::intake(const QList<QUrl> &urls, bool announceUnsupported, std::optional<bool> keepOriginal)
{
    QList<QUrl> dropped;
    dropped.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (url.isValid() && !url.isEmpty())
            dropped.append(url);
    }

    if (announceUnsupported) {
        const qint64 unsupported = countUnsupported(dropped);
        if (unsupported > 0) {
            setUnsupportedMessage(UiTexts::unsupportedMessage(unsupported));
            QTimer::singleShot(m_clearDelay, Qt::PreciseTimer, this, [this] { setUnsupportedMessage({}); });
        }
    }

    const auto folders = std::count_if(dropped.cbegin(), dropped.cend(), isFolder);
    if (folders == 0) {
        addToModel(dropped, keepOriginal);
        return;
    }
    QString folderName;
    if (folders == 1) {
        const auto folder = std::find_if(dropped.cbegin(), dropped.cend(), isFolder);
        folderName = QFileInfo(folder->toLocalFile()).fileName();
    }

    if (m_scans++ == 0)
        emit scanningChanged();
    auto *watcher = new QFutureWatcher<Expansion>(this);
    connect(watcher, &QFutureWatcher<Expansion>::finished, this, [this, watcher, folderName, keepOriginal] {
        const Expansion expansion = watcher->result();
        watcher->deleteLater();
        if (--m_scans == 0)
            emit scanningChanged();
        expanded(expansion.urls, expansion.fromFolders, folderName, keepOriginal);
    });
    watcher->setFuture(QtConcurrent::run(expand, dropped));
}

void DropIntake::expanded(const QList<QUrl> &urls, qint64 fromFolders, const QString &folderName,
                          std::optional<bool> keepOriginal)
{
    if (m_confirmationLimit < 0 || fromFolders <= m_confirmationLimit) {
        addToModel(urls, keepOriginal);
        return;
    }
    // A later large drop replaces the question of an earlier one.
    m_pending = urls;
    m_pendingKeepOriginal = keepOriginal;
    setConfirmationText(UiTexts::confirmationText(fromFolders, folderName));
}

void DropIntake::confirmPending()
{
    const QList<QUrl> urls = std::exchange(m_pending, {});
    setConfirmationText({});
    if (!urls.isEmpty())
        addToModel(urls, m_pendingKeepOriginal);
}

void DropIntake::cancelPending()
{
    m_pending.clear();
    setConfirmationText({});
}

void DropIntake::addToModel(const QList<QUrl> &urls, std::optional<bool> keepOriginal)
{
    if (m_viewModel)
        m_viewModel->addFiles(urls, keepOriginal);
}

void DropIntake::setUnsupportedMessage(const QString &message)
{
    if (m_unsupportedMessage == message)
        return;
    m_unsupportedMessage = message;
    emit unsupportedMessageChanged();
}

void DropIntake::setConfirmationText(const QString &text)
{
    if (m_confirmationText == text)
        return;
    m_confirmationText = text;
    emit confirmationTextChanged();
}
