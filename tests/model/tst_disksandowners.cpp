#include "BadInput.h"
#include "CleaningPipeline.h"

#include <StagingJournal.h>
#include <Translations.h>

#include <Fixtures.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace BadInput;

// Disks that fill up or turn read-only, file systems without permissions,
// access lists, attributes and groups: where writing beside the original can
// fail or give a file away, the file stays whole and keeps what is its own.
class tst_DisksAndOwners : public QObject
{
    Q_OBJECT

    // An ext4 image of `megabytes` mounted at <root>/disk, or why there is none.
    static QString mountSmallDisk(const QString &root, int megabytes)
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

    // Cleans `path` as `user` in a process of its own (this program, told so
    // by its environment) and returns the row's message.
    static QString cleanAs(const QString &user, const QString &path, bool keepOriginal)
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

    static void groupTheUserIsNotIn(const QString &root)
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
            if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
                qFatal("cannot give %s to %u:%u", qPrintable(path), uid, gid);
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

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void situations_data()
    {
        QTest::addColumn<QString>("situation");
        for (const char *situation :
             {"disk full", "access control and attributes", "read-only PDF and MKV, under a locale never generated",
              "no permissions on the file system", "small disk full, photo and video", "disk turned read-only mid-run",
              "group the user is not in"})
            QTest::newRow(situation) << QString::fromLatin1(situation);
    }

    void situations()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString root = dir.path();
        auto removeAll = qScopeGuard([&root] { removeTree(QFile::encodeName(root)); });
        CleaningPipeline pipeline(true);
        auto model = std::make_unique<TessalyViewModel>(pipeline.cleaner, pipeline.pool, ModelOptions{10ms});
        const auto status = [&](const QString &path) { return statusOf(*model, path); };

        if (situation == "disk full") {
            // No file may grow past 64 KiB: a staged copy larger than that fails to be written.
            const QString photo = dir.filePath("photo.jpg");
            makeBigFile(photo);
            const QString pdf = dir.filePath("doc.pdf");
            makeBigFile(pdf);
            const QByteArray photoBytes = Fixtures::readAll(photo), pdfBytes = Fixtures::readAll(pdf);
            CleaningPipeline oneShot(false); // children that inherit the limit from now on
            TessalyViewModel limited(oneShot.cleaner, oneShot.pool, ModelOptions{10ms});
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit previous;
            ::getrlimit(RLIMIT_FSIZE, &previous);
            const rlimit small{64 << 10, previous.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
            limited.addFiles({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(pdf)});
            endOfRun(limited);
            ::setrlimit(RLIMIT_FSIZE, &previous);
            QCOMPARE(limited.errorCount(), 2);
            QCOMPARE(Fixtures::readAll(photo), photoBytes);
            QCOMPARE(Fixtures::readAll(pdf), pdfBytes);
            QVERIFY(!stagedFolderIn(root));
        } else if (situation == "access control and attributes") {
            const QString file = Fixtures::make(root, "jpg", "private.jpg");
            const QString big = root + "/private-big.jpg";
            makeBigFile(big);
            for (const QString &path : {file, big}) {
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
                Fixtures::run("setfacl", {"-m", "u:nobody:r,g:nogroup:---", path});
                Fixtures::run("setfattr", {"-n", "user.note", "-v", "harmless", path});
            }
            const QByteArray aclBefore = Fixtures::run("getfacl", {"-cp", file});
            QVERIFY(aclBefore.contains("user:nobody:r--"));
            // While the big one is cleaned, its staged copy is private.
            model->addFiles({QUrl::fromLocalFile(file), QUrl::fromLocalFile(big)});
            // Its folder shuts everyone else out; the file in it is theirs
            // only once it has the original's mode, just before the rename.
            QString stagedModes;
            QDeadlineTimer deadline(60000);
            while (stagedModes.isEmpty() && model->doneCount() + model->errorCount() < 2 && !deadline.hasExpired()) {
                for (const QString &folder : QDir(root).entryList({".tessaly-staging-*"}, QDir::Dirs | QDir::Hidden)) {
                    struct stat folderInfo;
                    if (::stat(QFile::encodeName(root + "/" + folder).constData(), &folderInfo) != 0)
                        continue;
                    for (const QFileInfo &staged : QDir(root + "/" + folder).entryInfoList(QDir::Files | QDir::Hidden)) {
                        struct stat info;
                        if (::stat(QFile::encodeName(staged.filePath()).constData(), &info) == 0)
                            stagedModes = QString::number(folderInfo.st_mode & 0777, 8) + "/"
                                + QString::number(info.st_mode & 0777, 8);
                    }
                }
                QTest::qWait(1);
            }
            endOfRun(*model);
            QCOMPARE(model->doneCount(), 2);
            QVERIFY2(stagedModes == "700/600" || stagedModes == "700/640", qPrintable(stagedModes));
            for (const QString &path : {file, big}) {
                QCOMPARE(Fixtures::run("getfacl", {"-cp", path}), aclBefore);
                QCOMPARE(Fixtures::run("getfattr", {"--only-values", "-n", "user.note", path}), "harmless");
                QVERIFY(!Fixtures::marked(path));
            }
        } else if (situation == "read-only PDF and MKV, under a locale never generated") {
            const QString pdf = Fixtures::make(root, "pdf"), mkv = Fixtures::make(root, "mkv");
            for (const QString &path : {pdf, mkv})
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            qputenv("LANG", "xx_YY.UTF-8");
            qputenv("LC_ALL", "xx_YY.UTF-8");
            model->addFiles({QUrl::fromLocalFile(pdf), QUrl::fromLocalFile(mkv)});
            endOfRun(*model);
            qunsetenv("LC_ALL");
            qunsetenv("LANG");
            for (const QString &path : {pdf, mkv}) {
                QCOMPARE(messageOf(itemFor(*model, path)), "(no error)");
                QVERIFY(!Fixtures::marked(path));
                struct stat info;
                QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
                QCOMPARE(info.st_mode & 07777, mode_t(0444));
            }
        } else if (situation == "no permissions on the file system") {
            // FAT holds no owners, modes or attributes; giving them is skipped, not failed.
            const QString image = root + "/fat.img", mount = root + "/fat";
            QVERIFY(QDir().mkpath(mount));
            QProcess make;
            make.start("mkfs.vfat", {"-C", image, "4096"});
            if (!make.waitForFinished() || make.exitCode() != 0)
                QSKIP("mkfs.vfat (dosfstools) is not installed: no FAT file system to try");
            QProcess fuse;
            fuse.start("fusefat", {"-o", "rw+", image, mount});
            if (!fuse.waitForFinished() || fuse.exitCode() != 0)
                QSKIP("fusefat cannot mount here (no FUSE): no FAT file system to try");
            auto unmount = qScopeGuard([&] { QProcess::execute("fusermount", {"-u", mount}); });
            const QString photo = Fixtures::make(mount, "jpg", "photo.jpg");
            const QString pdf = Fixtures::make(mount, "pdf", "doc.pdf");
            const QByteArray pdfBytes = Fixtures::readAll(pdf);
            model->addFiles({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(pdf)});
            endOfRun(*model);
            QCOMPARE(messageOf(itemFor(*model, photo)), "(no error)");
            QVERIFY(!Fixtures::marked(photo));
            // fusefat reads back less than it was given for some writes: the
            // check before the rename sees that, and the file stays as it was.
            QVERIFY(status(pdf) == FileStatus::done ? !Fixtures::marked(pdf) : Fixtures::readAll(pdf) == pdfBytes);
        } else if (situation == "small disk full, photo and video") {
            // Room for the originals, not for their cleaned versions beside them.
            const QString disk = root + "/disk";
            if (const QString why = mountSmallDisk(root, 128); !why.isEmpty())
                QSKIP(qPrintable(why));
            auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
            for (const char *name : {"photo.jpg", "video.mp4"})
                makeBigFile(disk + "/" + name);
            QFile::remove(disk + "/noise.jpg");
            // Less room than half the smaller file takes.
            const qint64 room = std::min(QFileInfo(disk + "/photo.jpg").size(), QFileInfo(disk + "/video.mp4").size()) / 2;
            Fixtures::writeAll(disk + "/filler", QByteArray(QStorageInfo(disk).bytesAvailable() - room, 'f'));
            const QByteArray photoBytes = Fixtures::readAll(disk + "/photo.jpg");
            const QByteArray videoBytes = Fixtures::readAll(disk + "/video.mp4");
            model->addFiles({QUrl::fromLocalFile(disk + "/photo.jpg"), QUrl::fromLocalFile(disk + "/video.mp4")});
            endOfRun(*model);
            QCOMPARE(model->totalCount(), 2);
            for (const QString &path : {disk + "/photo.jpg", disk + "/video.mp4"}) {
                const QString message = messageOf(itemFor(*model, path));
                // The app's words, with what to do; the tool's own stay in the detail.
                QVERIFY2(message.contains("not enough space on the disk") && message.contains("Free some space")
                             && !message.contains("ExifTool") && !message.contains("Error"),
                         qPrintable(message));
                QVERIFY(!failureDetail(*itemFor(*model, path)->failure).isEmpty());
            }
            QCOMPARE(Fixtures::readAll(disk + "/photo.jpg"), photoBytes);
            QCOMPARE(Fixtures::readAll(disk + "/video.mp4"), videoBytes);
            QVERIFY(!stagedFolderIn(disk));
        } else if (situation == "disk turned read-only mid-run") {
            // The staged copy cannot be removed then; its note must outlive the app and be used at the next start.
            const QString disk = root + "/disk";
            if (const QString why = mountSmallDisk(root, 64); !why.isEmpty())
                QSKIP(qPrintable(why));
            auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
            const QString file = disk + "/big.jpg";
            makeBigFile(file);
            const QByteArray bytes = Fixtures::readAll(file);
            QTemporaryDir state;
            {
                StagingJournal journal(state.path());
                CleaningPipeline withJournal(true, &journal);
                TessalyViewModel running(withJournal.cleaner, withJournal.pool, ModelOptions{10ms});
                running.addFiles({QUrl::fromLocalFile(file)});
                QDeadlineTimer deadline(60000);
                while (!stagedFolderIn(disk) && !deadline.hasExpired())
                    QTest::qWait(1);
                QVERIFY(stagedFolderIn(disk));
                // Refused while a tool has a file there open for writing: tried until it takes.
                while (QProcess::execute("mount", {"-o", "remount,ro", disk}) != 0 && !deadline.hasExpired())
                    QTest::qWait(1);
                endOfRun(running);
                QCOMPARE(running.errorCount(), 1);
                const QString message = messageOf(&running.files().first());
                QVERIFY2(message.contains("cannot be written to") && !message.contains("ExifTool"), qPrintable(message));
            }
            QCOMPARE(Fixtures::readAll(file), bytes);
            QVERIFY(stagedFolderIn(disk));
            QCOMPARE(QDir(state.path()).entryList({"*.note"}, QDir::Files).size(), 1);
            QCOMPARE(QProcess::execute("mount", {"-o", "remount,rw", disk}), 0);
            QCOMPARE(StagingJournal(state.path()).sweep(), 1);
            QVERIFY(!stagedFolderIn(disk));
            QCOMPARE(QDir(state.path()).entryList({"*.note"}, QDir::Files), QStringList());
        } else if (situation == "group the user is not in") {
            groupTheUserIsNotIn(root);
        }
        QVERIFY(!stagedFolderIn(root));
    }
};

// The clean of one file as another user, for groupTheUserIsNotIn.
static int cleanAsWorker(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    OneShotRunner runner;
    const FileCleaner cleaner(ToolPaths::installed(), runner);
    const QUrl url = QUrl::fromLocalFile(qEnvironmentVariable("TSY_CLEAN_AS_WORKER"));
    CleaningChoices choices;
    choices.keepOriginal = qEnvironmentVariable("TSY_CLEAN_KEEP_ORIGINAL") == "1";
    const CleanResult result = cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, choices});
    std::puts(result.errorMessage().value_or("(no error)").toUtf8().constData());
    return 0;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TSY_CLEAN_AS_WORKER"))
        return cleanAsWorker(argc, argv);
    dropPermissionOverrides(argc, argv);
    QCoreApplication app(argc, argv);
    tst_DisksAndOwners test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_disksandowners.moc"
