#include "SandboxGrant.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <mutex>

#include <dirent.h>
#include <sys/stat.h>

namespace {

const QLatin1String stagingPrefix(".tessaly-staging-");

// A view hides each entry of the folder that is not a file of the viewed
// kind, with a mount of its own, and bwrap takes at most 9,000 arguments:
// past this many such entries the sandbox could not start at all.
constexpr int mostHiddenEntries = 1500;

// Whether the folder holds more entries a view of `suffix` would hide than
// a view can. Read once in a while per folder and kind, not for every file.
bool crowded(const QString &folder, const QString &suffix)
{
    struct Verdict
    {
        bool crowded;
        QDeadlineTimer expiry;
    };
    static std::mutex mutex;
    static QHash<QString, Verdict> verdicts;
    const QString key = folder + u'\0' + suffix;
    {
        const std::lock_guard lock(mutex);
        if (const auto found = verdicts.constFind(key); found != verdicts.cend() && !found->expiry.hasExpired())
            return found->crowded;
    }
    int hidden = 0;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        const QByteArray dotSuffix = '.' + suffix.toUtf8();
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == ".." || name.startsWith(QByteArray(stagingPrefix.data(), stagingPrefix.size())))
                continue;
            const bool shown = entry->d_type == DT_REG && !name.startsWith('.') && name.toLower().endsWith(dotSuffix);
            if (!shown && ++hidden > mostHiddenEntries)
                break;
        }
        ::closedir(dir);
    }
    const bool verdict = hidden > mostHiddenEntries;
    const std::lock_guard lock(mutex);
    if (verdicts.size() > 256)
        verdicts.clear();
    verdicts.insert(key, {verdict, QDeadlineTimer(30'000)});
    return verdict;
}

} // namespace

SandboxGrant SandboxGrant::toRead(const QString &file)
{
    const QFileInfo info(file);
    QString folder = info.absolutePath();
    if (QFileInfo(folder).fileName().startsWith(stagingPrefix))
        folder = QFileInfo(folder).absolutePath();
    SandboxGrant grant;
    // The root folder cannot be shown as a view: it holds the system the tool
    // runs on. A folder crowded with other files cannot be either; the tool
    // then sees the one file, at the cost of a start for every file.
    if (folder == QLatin1String("/") || info.suffix().isEmpty() || crowded(folder, info.suffix().toLower())) {
        grant.readable = {info.absoluteFilePath()};
        return grant;
    }
    grant.viewFolder = folder;
    grant.viewSuffix = info.suffix().toLower();
    return grant;
}

SandboxGrant SandboxGrant::toWrite(const QString &source, const QString &folder)
{
    SandboxGrant grant;
    grant.readable = {QFileInfo(source).absoluteFilePath()};
    grant.writable = {QDir(folder).absolutePath()};
    return grant;
}

QByteArray SandboxGrant::mountKey() const
{
    QByteArray key;
    for (const QString &path : readable)
        key += "r:" + QFile::encodeName(path) + '\0';
    for (const QString &path : writable)
        key += "w:" + QFile::encodeName(path) + '\0';
    // A folder removed and made anew under the same name is another folder:
    // a worker started on the old one would see nothing of the new.
    if (!viewFolder.isEmpty()) {
        struct stat info = {};
        ::stat(QFile::encodeName(viewFolder).constData(), &info);
        key += "v:" + QFile::encodeName(viewFolder) + '\0' + viewSuffix.toUtf8() + '\0'
               + QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino)) + '\0';
    }
    return key;
}
