#include "BadInput.h"

#include <Fixtures.h>

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <vector>

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The clean of one file as another user, for groupTheUserIsNotIn.
int cleanAsWorker(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    OneShotRunner runner;
    const FileCleaner cleaner(ToolPaths::installed(), runner);
    const QUrl url = QUrl::fromLocalFile(qEnvironmentVariable("TSY_CLEAN_AS_WORKER"));
    const CleaningChoices choices{qEnvironmentVariable("TSY_CLEAN_KEEP_ORIGINAL") == "1", false};
    const CleanResult result = cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, choices});
    std::puts(result.errorMessage().value_or("(no error)").toUtf8().constData());
    return 0;
}

} // namespace

QStringList BadInput::entries(const QString &directory)
{
    QStringList names;
    QDirIterator it(directory, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(directory).relativeFilePath(it.next());
    names.sort();
    return names;
}

const FileItem *BadInput::itemFor(const TessalyViewModel &model, const QString &path)
{
    for (const FileItem &item : model.files())
        if (item.url == QUrl::fromLocalFile(path))
            return &item;
    return nullptr;
}

bool BadInput::marked(const QByteArray &bytes)
{
    return bytes.contains(Fixtures::author); 
}

bool BadInput::stagedFolderIn(const QString &directory)
{
    return !QDir(directory).entryList({".tessaly-staging-*"}, QDir::Dirs | QDir::Hidden).isEmpty();
}

void BadInput::makeBigFile(const QString &path)
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

QString BadInput::mountSmallDisk(const QString &root, int megabytes)
{
    if (::geteuid() != 0)
        return "only root may mount a disk image: not running as root";
    const QString image = root + "/disk.img", disk = root + "/disk";
    QDir().mkpath(disk);
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(megabytes) << 20))
        return "no room for a disk image";
    file.close();
    // No blocks kept for root: the test runs as root, and the disk must fill.
    if (QProcess::execute("mkfs.ext4", {"-q", "-m", "0", image}) != 0)
        return "mkfs.ext4 cannot make a disk image here";
    if (QProcess::execute("mount", {"-o", "loop", image, disk}) != 0)
        return "mount refuses a loop device here (a container without loop devices or the right to mount)";
    return {};
}

QString BadInput::cleanAs(const QString &user, const QString &path, bool keepOriginal)
{
    QProcess worker;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TSY_CLEAN_AS_WORKER", path);
    env.insert("TSY_CLEAN_KEEP_ORIGINAL", keepOriginal ? "1" : "0");
    worker.setProcessEnvironment(env);
    worker.start("runuser", {"-u", user, "--", QCoreApplication::applicationFilePath()});
    if (!worker.waitForFinished(120000) || worker.exitCode() != 0)
        return "(worker failed: " + QString::fromUtf8(worker.readAllStandardError()) + ")";
    return QString::fromUtf8(worker.readAllStandardOutput()).trimmed();
}

void BadInput::groupTheUserIsNotIn(const QString &root)
{
    if (::geteuid() != 0)
        QSKIP("no other user to clean as: not running as root");
    const QString user = "tsy-clean-test", shared = "tsy-share-test";
    QProcess::execute("groupadd", {"--system", shared});
    QProcess::execute("useradd", {"--system", "--no-create-home", "--user-group", "-G", shared, user});
    auto removeUser = qScopeGuard([&] {
        QProcess::execute("userdel", {user});
        QProcess::execute("groupdel", {shared});
    });
    const passwd *account = ::getpwnam(user.toUtf8().constData());
    // getgrnam() answers in one buffer: each answer is read before the next question.
    const group *sharedGroup = ::getgrnam(shared.toUtf8().constData());
    const gid_t member = sharedGroup ? sharedGroup->gr_gid : gid_t(-1);
    const group *nobody = ::getgrnam("nogroup");
    const gid_t notMember = nobody ? nobody->gr_gid : gid_t(-1);
    if (!account || member == gid_t(-1) || notMember == gid_t(-1))
        QSKIP("useradd or groupadd does not work here: no user to clean as");
    const uid_t uid = account->pw_uid;
    const gid_t own = account->pw_gid;
    QVERIFY(QProcess::execute("runuser", {"-u", user, "--", "true"}) == 0);

    const QString folder = root + "/shared";
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(::chmod(QFile::encodeName(root).constData(), 0755), 0);
    const auto makeOwned = [&](const QString &name, gid_t gid) {
        const QString path = Fixtures::make(folder, "jpg", name);
        ::chmod(QFile::encodeName(path).constData(), 0640); // while root still owns it
        ::chown(QFile::encodeName(path).constData(), uid, gid);
        return path;
    };
    const QString inMember = makeOwned("member.jpg", member), inOther = makeOwned("other.jpg", notMember);
    // Last: without root's powers over permissions this test may not write in it afterwards.
    QCOMPARE(::chown(QFile::encodeName(folder).constData(), uid, own), 0);
    const QByteArray otherBytes = Fixtures::readAll(inOther);
    struct stat info;

    // A group the user is in is kept.
    QCOMPARE(cleanAs(user, inMember, false), "(no error)");
    QVERIFY(!Fixtures::marked(inMember));
    QCOMPARE(::stat(QFile::encodeName(inMember).constData(), &info), 0);
    QVERIFY(info.st_uid == uid && info.st_gid == member && (info.st_mode & 07777) == 0640);

    // One the user is not in cannot be: the file stays as it is.
    const QString refused = cleanAs(user, inOther, false);
    QVERIFY2(refused.contains("belongs to a group you are not a member of") && refused.startsWith("other.jpg"),
             qPrintable(refused));
    QCOMPARE(Fixtures::readAll(inOther), otherBytes);
    QCOMPARE(::stat(QFile::encodeName(inOther).constData(), &info), 0);
    QCOMPARE(info.st_gid, notMember);

    // A copy is the user's, and the group it gets may do nothing with it.
    QCOMPARE(cleanAs(user, inOther, true), "(no error)");
    const QString copy = folder + "/other (cleaned).jpg";
    QVERIFY(!Fixtures::marked(copy));
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &info), 0);
    QCOMPARE(info.st_uid, uid);
    QCOMPARE(info.st_gid, own);
    QCOMPARE(info.st_mode & 07777, mode_t(0600));
    QVERIFY(!stagedFolderIn(folder));
}

QString BadInput::messageOf(const FileItem *item)
{
    return item && item->errorMessage() ? *item->errorMessage() : QStringLiteral("(no error)");
}

void BadInput::runToTheEnd(TessalyViewModel &model, const QList<QUrl> &urls)
{
    model.addFiles(urls);
    QTRY_VERIFY_WITH_TIMEOUT(model.isProcessing(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing(), 180000);
    QCOMPARE(model.pendingCount(), 0);
    QCOMPARE(model.doneCount() + model.errorCount(), model.totalCount());
}

std::optional<int> BadInput::prepareProcess(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TSY_CLEAN_AS_WORKER"))
        return cleanAsWorker(argc, argv);
    // As root, permissions never bite: run without the capabilities that
    // override them, so the read-only and unreadable cases mean something.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("TESSALY_DROPPED_CAPS")) {
        qputenv("TESSALY_DROPPED_CAPS", "1");
        std::vector<const char *> args{"setpriv", "--bounding-set", "-dac_override,-dac_read_search,-fowner", "--"};
        args.insert(args.end(), argv, argv + argc + 1); // argv[argc] is the null pointer
        ::execvp("setpriv", const_cast<char **>(args.data()));
        // No setpriv: go on with root's powers; the permission cases are then only checked loosely.
    }
    return std::nullopt;
}
