#include "BadInput.h"

#include <Translations.h>

#include <Fixtures.h>
#include <LocalName.h>

#include <QDirIterator>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

// Situations around the files that no file holds: links swapped, files
// replaced or held open, full or read-only disks, access control, other
// users' groups, names that are not UTF-8. Every file ends untouched or
// fully cleaned, with a row that says which.
class tst_UnsafeSituations : public QObject, private BadInput
{
    Q_OBJECT

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void unsafeSituations_data()
    {
        QTest::addColumn<QString>("situation");
        for (const char *situation :
             {"same file by link and odd spellings", "same files in two windows", "hostile PDFs beside ordinary files",
              "replaced while being cleaned", "held open for writing", "link swapped after adding",
              "disk full", "access control and attributes", "read-only PDF and MKV, under a locale never generated",
              "no permissions on the file system", "small disk full, photo and video", "disk turned read-only mid-run",
              "group the user is not in", "names that are not UTF-8"})
            QTest::newRow(situation) << QString::fromLatin1(situation);
    }

    void unsafeSituations()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString root = dir.path();
        Pipeline pipeline(true);
        auto model = std::make_unique<TessalyViewModel>(pipeline.cleaner, pipeline.pool, ModelOptions{10ms});
        const auto endOfRun = [&](TessalyViewModel &m) {
            QTRY_VERIFY_WITH_TIMEOUT(!m.isProcessing() && m.pendingCount() == 0
                                         && m.doneCount() + m.errorCount() == m.totalCount(),
                                     180000);
        };
        const auto status = [&](const QString &path) {
            const FileItem *item = itemFor(*model, path);
            return item ? item->status : FileStatus::pending;
        };

        if (situation == "same file by link and odd spellings") {
            const QString photo = Fixtures::make(root, "jpg", "a.jpg");
            QVERIFY(QFile::link(photo, root + "/link.jpg"));
            model->addFiles({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(root + "//a.jpg"),
                             QUrl("file://" + root + "/%61.jpg"), QUrl::fromLocalFile(root + "/link.jpg"),
                             QUrl::fromLocalFile(root + "/./a.jpg")});
            QCOMPARE(model->totalCount(), 1); // one file, one row
            endOfRun(*model);
            QCOMPARE(model->doneCount(), 1);
            QVERIFY(!Fixtures::marked(photo) && QFileInfo(photo).isFile());
        } else if (situation == "same files in two windows") {
            QStringList photos;
            for (int i = 0; i < 12; ++i)
                photos << Fixtures::make(root, "jpg", QStringLiteral("p%1.jpg").arg(i));
            QList<QUrl> urls;
            for (const QString &photo : photos)
                urls << QUrl::fromLocalFile(photo);
            Pipeline otherPipeline(true);
            TessalyViewModel other(otherPipeline.cleaner, otherPipeline.pool, ModelOptions{10ms});
            model->addFiles(urls);
            other.addFiles(urls);
            endOfRun(*model);
            endOfRun(other);
            for (const QString &photo : photos) {
                // Never lost: each file is there and clean, cleaned by one window or the other.
                QVERIFY2(QFileInfo(photo).isFile(), qPrintable(photo + " vanished"));
                QVERIFY(!Fixtures::marked(photo));
            }
            QCOMPARE(model->doneCount() + other.doneCount() >= 12, true);
        } else if (situation == "hostile PDFs beside ordinary files") {
            // A page tree nested 100,000 deep, and a page whose stream inflates to 2 GB.
            QByteArray deep = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n";
            const int levels = 100000;
            for (int i = 0; i < levels; ++i)
                deep += QByteArray::number(i + 2) + " 0 obj << /Type /Pages /Kids [" + QByteArray::number(i + 3)
                        + " 0 R] /Count 1 >> endobj\n";
            deep += QByteArray::number(levels + 2) + " 0 obj << /Type /Page /MediaBox [0 0 10 10] >> endobj\n"
                    "trailer << /Root 1 0 R /Info << /Author (" + QByteArray(Fixtures::author) + ") >> >>\n%%EOF\n";
            Fixtures::writeAll(root + "/deep.pdf", deep);
            const QByteArray zeros(64 << 20, '\0');
            const QByteArray bomb = qCompress(zeros).mid(4); // zlib stream of 64 MiB of zeros
            Fixtures::writeAll(root + "/bomb.pdf", Fixtures::pdfBytes({
                "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                "<< /Length " + QByteArray::number(bomb.size()) + " /Filter /FlateDecode >>\nstream\n" + bomb + "\nendstream",
                "<< /Author (" + QByteArray(Fixtures::author) + ") >>"}));
            const QString ordinary = Fixtures::make(root, "pdf"), photo = Fixtures::make(root, "jpg");
            const QByteArray deepBytes = Fixtures::readAll(root + "/deep.pdf");
            model->addFiles({QUrl::fromLocalFile(root + "/deep.pdf"), QUrl::fromLocalFile(root + "/bomb.pdf"),
                             QUrl::fromLocalFile(ordinary), QUrl::fromLocalFile(photo)});
            endOfRun(*model);
            QCOMPARE(status(root + "/deep.pdf"), FileStatus::error);
            QCOMPARE(Fixtures::readAll(root + "/deep.pdf"), deepBytes);
            // The bomb's page is never inflated, so it may well be cleaned; either way it stays whole.
            QVERIFY(status(root + "/bomb.pdf") == FileStatus::error || !marked(Fixtures::readAll(root + "/bomb.pdf")));
            QCOMPARE(status(ordinary), FileStatus::done);
            QCOMPARE(status(photo), FileStatus::done);
        } else if (situation == "replaced while being cleaned") {
            // Another program saves over the file while its clean is under way.
            const QString file = root + "/big.jpg";
            makeBigFile(file);
            const QByteArray newer = Fixtures::readAll(Fixtures::make(root, "jpg", "newer.jpg"));
            model->addFiles({QUrl::fromLocalFile(file)});
            QDeadlineTimer deadline(60000);
            while (!stagedFolderIn(root) && !deadline.hasExpired())
                QTest::qWait(1);
            Fixtures::writeAll(root + "/saving.tmp", newer);
            QCOMPARE(::rename(QFile::encodeName(root + "/saving.tmp").constData(), QFile::encodeName(file).constData()), 0);
            endOfRun(*model);
            QCOMPARE(status(file), FileStatus::error);
            QCOMPARE(Fixtures::readAll(file), newer);
        } else if (situation == "held open for writing") {
            // A download still in progress.
            const QString file = Fixtures::make(root, "jpg", "download.jpg");
            const QByteArray bytes = Fixtures::readAll(file);
            QFile writer(file);
            QVERIFY(writer.open(QIODevice::ReadWrite));
            model->addFiles({QUrl::fromLocalFile(file)});
            endOfRun(*model);
            QCOMPARE(status(file), FileStatus::error);
            QCOMPARE(Fixtures::readAll(file), bytes);
        } else if (situation == "link swapped after adding") {
            const QString chosen = Fixtures::make(root, "jpg", "chosen.jpg");
            const QString other = Fixtures::make(root, "jpg", "other.jpg");
            const QByteArray otherBytes = Fixtures::readAll(other);
            QVERIFY(QFile::link(chosen, root + "/link.jpg"));
            model->addFiles({QUrl::fromLocalFile(root + "/link.jpg")});
            // Before the run starts, the link is made to point elsewhere.
            QVERIFY(QFile::remove(root + "/link.jpg") && QFile::link(other, root + "/link.jpg"));
            endOfRun(*model);
            QCOMPARE(status(root + "/link.jpg"), FileStatus::error);
            QCOMPARE(Fixtures::readAll(other), otherBytes);
        } else if (situation == "disk full") {
            // No file may grow past 64 KiB: a staged copy larger than that fails to be written.
            const QString photo = dir.filePath("photo.jpg");
            makeBigFile(photo);
            const QString pdf = dir.filePath("doc.pdf");
            makeBigFile(pdf);
            const QByteArray photoBytes = Fixtures::readAll(photo), pdfBytes = Fixtures::readAll(pdf);
            Pipeline oneShot(false); // children that inherit the limit from now on
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
                Pipeline withJournal(true, &journal);
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
        } else if (situation == "names that are not UTF-8") {
            // A Latin-1 name, and a plain name in a Latin-1 folder: each gets its row and says why it stays.
            const QByteArray base = QFile::encodeName(root);
            QCOMPARE(::mkdir(QByteArray(base + "/Fotos \xe9t\xe9").constData(), 0755), 0);
            const QList<QByteArray> paths{base + "/caf\xe9.jpg", base + "/Fotos \xe9t\xe9/in.jpg"};
            QList<QUrl> urls;
            for (const QByteArray &path : paths) {
                QCOMPARE(::rename(QFile::encodeName(Fixtures::make(root, "jpg", "made.jpg")).constData(), path.constData()), 0);
                urls << urlForLocalPath(path);
            }
            model->addFiles(urls);
            endOfRun(*model);
            QCOMPARE(model->totalCount(), 2);
            for (const FileItem &item : model->files())
                QVERIFY2(messageOf(&item).contains("is not UTF-8 text")
                             && (messageOf(&item).startsWith(u"The name of caf\uFFFDE9.jpg") || messageOf(&item).startsWith("The name of in.jpg")),
                         qPrintable(messageOf(&item)));
            for (const QByteArray &path : paths) {
                QFile file;
                const int fd = ::open(path.constData(), O_RDONLY);
                QVERIFY(fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
                QVERIFY(marked(file.readAll())); // as it was
            }
        } else if (situation == "group the user is not in") {
            groupTheUserIsNotIn(root);
        }
        QVERIFY(!stagedFolderIn(root));
    }

    // The app quits, or is killed, while a large file is being cleaned: the
    // file is whole (untouched or cleaned), and the staged copy is gone at
    // once after a quit, at the next start after a kill.
};

int main(int argc, char *argv[])
{
    if (const std::optional<int> workerExit = BadInput::prepareProcess(argc, argv))
        return *workerExit;
    QCoreApplication app(argc, argv);
    tst_UnsafeSituations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unsafesituations.moc"
