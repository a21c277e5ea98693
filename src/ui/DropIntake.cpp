#include "DropIntake.h"

#include "UiTexts.h"

#include <FileItem.h>
#include <LocalName.h>
#include <SupportedFormat.h>

#include <QCollator>
#include <QDirIterator>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFolder(const QUrl &url)
{
    struct stat info;
    return url.isLocalFile() && ::stat(localPathBytes(url).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names as the disk has them: a name that is not UTF-8 is found all the
// same (a QDir listing leaves it out without a word). Hidden entries and
// links are not followed; `depth` bounds a folder that holds itself some way.
void collectSupported(int folderFd, const QByteArray &path, int depth, QList<QByteArray> &found)
{
    DIR *dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray full = path + '/' + name;
        if (S_ISDIR(info.st_mode) && depth < 256) {
            const int child = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                collectSupported(child, full, depth + 1, found);
        } else if (S_ISREG(info.st_mode) && parseSupportedFormat(lowerCasePathExtension(urlForLocalPath(full)))) {
            found.append(full);
        }
    }
    ::closedir(dir);
}

struct Expansion
{
    QList<QUrl> urls;
    qint64 fromFolders = 0;
    qint64 folders = 0;
    QString firstFolderName;
};

// Past this many names even looking at each one (a stat) would hold up the
// window: the whole drop is looked at on a worker thread.
constexpr qsizetype lookedAtHere = 500;

// Runs on a worker thread: the folder search may read a whole disk.
Expansion expand(const QList<QUrl> &urls)
{
    Expansion result;
    for (const QUrl &url : urls) {
        if (!isFolder(url)) {
            result.urls.append(url);
            continue;
        }
        const QList<QUrl> files = DropIntake::supportedFileUrlsIn(localPathBytes(url));
        if (result.folders++ == 0)
            result.firstFolderName = visibleFileName(localPathBytes(url));
        result.fromFolders += files.size();
        result.urls.append(files);
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
        return !parseSupportedFormat(lowerCasePathExtension(url)) && !isFolder(url);
    });
}

QList<QUrl> DropIntake::supportedFileUrlsIn(const QByteArray &folder)
{
    QList<QByteArray> paths;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        collectSupported(fd, folder.endsWith('/') && folder.size() > 1 ? folder.chopped(1) : folder, 0, paths);
    // The C locale's collation has no numeric mode.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);
    QList<std::pair<QString, QByteArray>> shown;
    shown.reserve(paths.size());
    for (const QByteArray &path : paths)
        shown.append({QString::fromUtf8(path), path});
    std::sort(shown.begin(), shown.end(), [&collator](const auto &a, const auto &b) {
        const int order = collator.compare(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    QList<QUrl> urls;
    urls.reserve(shown.size());
    for (const auto &[text, path] : shown)
        urls.append(urlForLocalPath(path));
    return urls;
}

QStringList DropIntake::supportedFilesIn(const QString &folder)
{
    QStringList files;
    for (const QUrl &url : supportedFileUrlsIn(QFile::encodeName(folder)))
        files.append(url.toLocalFile());
    return files;
}

void DropIntake::handleDrop(const QList<QUrl> &urls)
{
    intake(urls, true, AdditionChoices{});
}

void DropIntake::addPicked(const QList<QUrl> &urls, AdditionChoices choices)
{
    intake(urls, false, choices);
}

void DropIntake::addNamed(const QList<QUrl> &urls, AdditionChoices choices)
{
    intake(urls, true, choices);
}

void DropIntake::intake(const QList<QUrl> &urls, bool announceUnsupported, AdditionChoices choices)
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

    if (dropped.size() <= lookedAtHere && std::none_of(dropped.cbegin(), dropped.cend(), isFolder)) {
        addToModel(dropped, choices);
        return;
    }

    auto *watcher = new QFutureWatcher<Expansion>(this);
    connect(watcher, &QFutureWatcher<Expansion>::finished, this, [this, watcher, choices] {
        const Expansion expansion = watcher->result();
        watcher->deleteLater();
        expanded(expansion.urls, expansion.fromFolders, expansion.folders == 1 ? expansion.firstFolderName : QString(),
                 choices);
    });
    watcher->setFuture(QtConcurrent::run(expand, dropped));
}

void DropIntake::expanded(const QList<QUrl> &urls, qint64 fromFolders, const QString &folderName,
                          AdditionChoices choices)
{
    if (m_confirmationLimit < 0 || fromFolders <= m_confirmationLimit) {
        addToModel(urls, choices);
        return;
    }
    // A later large drop replaces the question of an earlier one.
    m_pending = urls;
    m_pendingChoices = choices;
    m_confirmationCount = fromFolders;
    setConfirmationText(UiTexts::confirmationText(
        fromFolders, folderName, choices.keepOriginal.value_or(m_viewModel && m_viewModel->cleaningChoices().keepOriginal)));
}

void DropIntake::confirmPending()
{
    const QList<QUrl> urls = std::exchange(m_pending, {});
    setConfirmationText({});
    if (!urls.isEmpty())
        addToModel(urls, m_pendingChoices);
}

void DropIntake::cancelPending()
{
    m_pending.clear();
    setConfirmationText({});
}

void DropIntake::addToModel(const QList<QUrl> &urls, AdditionChoices choices)
{
    if (m_viewModel)
        m_viewModel->addFiles(urls, choices);
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
