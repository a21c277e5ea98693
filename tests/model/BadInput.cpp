#include "BadInput.h"

#include <Fixtures.h>
#include <LocalName.h>
#include <StagingJournal.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace BadInput {

QStringList entries(const QString &directory)
{
    QStringList names;
    QDirIterator it(directory, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(directory).relativeFilePath(it.next());
    names.sort();
    return names;
}

const FileItem *itemFor(const TessalyViewModel &model, const QByteArray &path)
{
    for (const FileItem &item : model.files())
        if (localPathBytes(item.url) == path)
            return &item;
    return nullptr;
}

const FileItem *itemFor(const TessalyViewModel &model, const QString &path)
{
    return itemFor(model, QFile::encodeName(path));
}

FileStatus statusOf(const TessalyViewModel &model, const QString &path)
{
    const FileItem *item = itemFor(model, path);
    return item ? item->status : FileStatus::pending;
}

QString messageOf(const FileItem *item)
{
    return item && item->errorMessage() ? *item->errorMessage() : QStringLiteral("(no error)");
}

QByteArray regularFileBytes(const QByteArray &path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    return file.readAll();
}

void removeTree(const QByteArray &path)
{
    ::nftw(path.constData(), [](const char *entry, const struct stat *, int, FTW *) { return ::remove(entry); }, 16,
           FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

QByteArray makeNamed(const QString &folder, const QByteArray &name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const QString made = Fixtures::make(folder, "jpg", "renamed-later.jpg");
    if (::rename(QFile::encodeName(made).constData(), path.constData()) != 0)
        return {};
    return path;
}

bool marked(const QByteArray &bytes)
{
    return bytes.contains(Fixtures::author);
}

bool stagedFolderIn(const QByteArray &directory)
{
    DIR *dir = ::opendir(directory.constData());
    bool found = false;
    while (const dirent *entry = dir ? ::readdir(dir) : nullptr)
        found = found || QByteArray(entry->d_name).startsWith(stagedFolderPrefix);
    if (dir)
        ::closedir(dir);
    return found;
}

bool stagedFolderIn(const QString &directory)
{
    return stagedFolderIn(QFile::encodeName(directory));
}

void makeBigFile(const QString &path)
{
    const QString photo = QFileInfo(path).dir().filePath("noise.jpg");
    QImage noise(3000, 2000, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (quint32 *pixel = reinterpret_cast<quint32 *>(noise.bits()), *end = pixel + 3000 * 2000; pixel != end; ++pixel)
        *pixel = (seed = seed * 1664525u + 1013904223u);
    QVERIFY(noise.save(photo, "JPEG", 100));
    if (path.endsWith(".jpg")) {
        QVERIFY(QFile::rename(photo, path));
        Fixtures::run("exiftool", {"-overwrite_original", "-Artist=" + QString(Fixtures::author), path});
    } else if (path.endsWith(".pdf")) {
        Fixtures::run("exiftool", {"-overwrite_original", "-Artist=" + QString(Fixtures::author), photo});
        Fixtures::run("img2pdf", {photo, "-o", path});
        QFile::remove(photo);
    } else {
        QFile::remove(photo);
        Fixtures::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=1920x1080:rate=25:duration=4", "-c:v",
                       "libx264", "-b:v", "40M", "-metadata", "title=" + QString(Fixtures::author), path});
    }
}

void runToTheEnd(TessalyViewModel &model, const QList<QUrl> &urls)
{
    model.addFiles(urls);
    QTRY_VERIFY_WITH_TIMEOUT(model.isProcessing(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing(), 180000);
    QCOMPARE(model.pendingCount(), 0);
    QCOMPARE(model.doneCount() + model.errorCount(), model.totalCount());
}

void endOfRun(TessalyViewModel &model)
{
    QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing() && model.pendingCount() == 0
                                 && model.doneCount() + model.errorCount() == model.totalCount(),
                             180000);
}

void dropPermissionOverrides(int argc, char *argv[])
{
    if (::geteuid() != 0 || qEnvironmentVariableIsSet("TESSALY_DROPPED_CAPS"))
        return;
    qputenv("TESSALY_DROPPED_CAPS", "1");
    std::vector<const char *> args{"setpriv", "--bounding-set", "-dac_override,-dac_read_search,-fowner", "--"};
    args.insert(args.end(), argv, argv + argc + 1); // argv[argc] is the null pointer
    ::execvp("setpriv", const_cast<char **>(args.data()));
    // No setpriv: go on with root's powers; the permission cases are then only checked loosely.
}

} // namespace BadInput
