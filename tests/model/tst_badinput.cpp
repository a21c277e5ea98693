#include <OneShotRunner.h>
#include <StayOpenRunner.h>
#include <TessalyViewModel.h>
#include <Translations.h>

#include <Fixtures.h>
#include <MoreFixtures.h>
#include <OfficeFixtures.h>
#include <ZipArchive.h>
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
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

// Whatever a file manager may hold, dropped on the window: every row ends
// done or in error with a message a person understands, every file is either
// untouched or fully cleaned, nothing is left beside it, and later runs work.
class tst_BadInput : public QObject
{
    Q_OBJECT

    struct Case
    {
        QString name;
        QByteArray path;    // the name's bytes, UTF-8 or not
        QByteArray bytes;   // as made, to tell "untouched" from "cleaned"
        bool mustClean;     // false: an error is the right outcome (or a clean, if the tool manages)
        QString message;    // in the row's error
        bool listed;        // added to the list, or only lying beside what was
    };

    // What main() makes for the window: a pool, a runner and a cleaner over them.
    struct Pipeline
    {
        explicit Pipeline(bool persistent, const StagingJournal *journal = nullptr)
            : runner(persistent ? std::unique_ptr<ToolRunner>(new StayOpenRunner(StayOpenRunner::Options{2, 1000, qint64(512) << 20}))
                                : std::unique_ptr<ToolRunner>(new OneShotRunner))
            , cleaner(ToolPaths::installed(), *runner, {}, journal)
        {
            pool.setMaxThreadCount(2);
        }
        QThreadPool pool;
        std::unique_ptr<ToolRunner> runner;
        FileCleaner cleaner;
    };

    static QStringList entries(const QString &directory)
    {
        QStringList names;
        QDirIterator it(directory, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names << QDir(directory).relativeFilePath(it.next());
        names.sort();
        return names;
    }

    static const FileItem *itemFor(const TessalyViewModel &model, const QByteArray &path)
    {
        for (const FileItem &item : model.files())
            if (localPathBytes(item.url) == path)
                return &item;
        return nullptr;
    }
    static const FileItem *itemFor(const TessalyViewModel &model, const QString &path)
    {
        return itemFor(model, QFile::encodeName(path));
    }

    // A regular file's bytes, read by a name of any bytes; empty for anything else.
    static QByteArray regularFileBytes(const QByteArray &path)
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

    // QTemporaryDir cannot remove names that are not UTF-8: this can.
    static void removeTree(const QByteArray &path)
    {
        ::nftw(path.constData(), [](const char *entry, const struct stat *, int, FTW *) { return ::remove(entry); }, 16,
               FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    }

    // A fixture renamed to a name of any bytes.
    static QByteArray makeNamed(const QString &folder, const QByteArray &name)
    {
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const QString made = Fixtures::make(folder, "jpg", "renamed-later.jpg");
        if (::rename(QFile::encodeName(made).constData(), path.constData()) != 0)
            return {};
        return path;
    }

    static bool marked(const QByteArray &bytes) { return bytes.contains(Fixtures::author); }

    static bool stagedFolderIn(const QByteArray &directory)
    {
        DIR *dir = ::opendir(directory.constData());
        bool found = false;
        while (const dirent *entry = dir ? ::readdir(dir) : nullptr)
            found = found || QByteArray(entry->d_name).startsWith(stagedFolderPrefix);
        if (dir)
            ::closedir(dir);
        return found;
    }
    static bool stagedFolderIn(const QString &directory) { return stagedFolderIn(QFile::encodeName(directory)); }

    // Large enough that cleaning it takes a while, marked with the fixtures' author.
    static void makeBigFile(const QString &path)
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

    // A stranger's archive, written to `root` and returned by its path, with
    // a copy as `hostile.orig` to compare.
    static QString hostileArchive(const QString &situation, const QString &root)
    {
        QByteArray bytes;
        QString extension;
        if (situation == "damaged office document") {
            extension = "docx";
            OfficeFixtures::make(root + "/whole.docx", extension);
            const QByteArray whole = Fixtures::readAll(root + "/whole.docx");
            bytes = whole.left(whole.size() / 2) + whole.right(40); // the end of the directory, without the directory
        } else if (situation == "ZIP bomb named as a spreadsheet") {
            extension = "ods";
            bytes = ZipArchive::write({ZipEntry {"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                                       ZipEntry {"content.xml", QByteArray(300 << 20, ' '), false}});
        } else {
            extension = "epub";
            QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE package [<!ENTITY l0 \"ha\">";
            for (int i = 1; i < 10; ++i)
                laughs += QByteArrayLiteral("<!ENTITY l") + QByteArray::number(i) + " \""
                          + QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
            laughs += "]>\n<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata>&l9;</metadata></package>";
            bytes = ZipArchive::write({ZipEntry {"mimetype", "application/epub+zip", true},
                                       ZipEntry {"content.opf", laughs, false}});
        }
        const QString path = root + "/hostile." + extension;
        Fixtures::writeAll(path, bytes);
        Fixtures::writeAll(root + "/hostile.orig", bytes);
        return path;
    }

    static QString hostileMessage(const QString &situation)
    {
        if (situation == "damaged office document")
            return QStringLiteral("is damaged");
        return situation.contains("ZIP") ? QStringLiteral("decompression bomb") : QStringLiteral("XML entities");
    }

    static QString messageOf(const FileItem *item)
    {
        return item && item->errorMessage() ? *item->errorMessage() : QStringLiteral("(no error)");
    }

    static void runToTheEnd(TessalyViewModel &model, const QList<QUrl> &urls)
    {
        model.addFiles(urls);
        QTRY_VERIFY_WITH_TIMEOUT(model.isProcessing(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing(), 180000);
        QCOMPARE(model.pendingCount(), 0);
        QCOMPARE(model.doneCount() + model.errorCount(), model.totalCount());
    }

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void whatAFileManagerHolds_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::newRow("persistent workers") << true;
        QTest::newRow("one process per run") << false;
    }

    void whatAFileManagerHolds()
    {
        QFETCH(bool, persistent);
        QTemporaryDir dir;
        const QString root = dir.path();
        auto removeAll = qScopeGuard([&root] { removeTree(QFile::encodeName(root)); });
        // Whether a mode of 000 keeps this process out (not with root's powers).
        const QString probe = root + "/probe";
        Fixtures::writeAll(probe, "x");
        QFile::setPermissions(probe, QFileDevice::Permissions());
        const bool permissionsBite = !QFile(probe).open(QIODevice::ReadOnly);
        QFile::remove(probe);
        qInfo("permissions %s", permissionsBite ? "apply" : "do not apply (running with root's powers)");

        QList<Case> cases;
        auto addBytes = [&](const QString &name, const QByteArray &path, bool mustClean, const QString &message = {},
                            bool listed = true) {
            // Reading a pipe would wait for a writer; only regular files have bytes to compare.
            cases.append({name, path, regularFileBytes(path), mustClean, message, listed});
        };
        auto add = [&](const QString &name, const QString &path, bool mustClean, const QString &message = {}, bool listed = true) {
            addBytes(name, QFile::encodeName(path), mustClean, message, listed);
        };

        // Files that must come out clean, whatever their names.
        for (const QString &name : {u"good.jpg"_qs, u"with some spaces.jpg"_qs, u"ünïcødé 写真 🙂.jpg"_qs, u"line\nbreak.jpg"_qs,
                                    u"-all=.jpg"_qs, u" #hash.jpg"_qs})
            add(name, Fixtures::make(root, "jpg", name), true);
        const QString longName = root + "/" + QString(251, u'n') + ".jpg";
        QVERIFY(QFile::rename(Fixtures::make(root, "jpg", "long.jpg"), longName));
        add("255-byte name", longName, true);
        QString deep = root;
        for (int level = 0; level < 24; ++level)
            deep += "/" + QString(120, QChar(u'a' + level % 26));
        QVERIFY(QDir().mkpath(deep) && deep.toUtf8().size() > 2900);
        add("deep path", Fixtures::make(deep, "jpg", "deep.jpg"), true);
        // Names are bytes: Latin-1, and a folder whose own name is not UTF-8.
        addBytes("Latin-1 name", makeNamed(root, "caf\xe9.jpg"), true);
        QVERIFY(QDir().mkpath(root + "/latin"));
        QVERIFY(::rename(QFile::encodeName(root + "/latin").constData(), QFile::encodeName(root + "/d\xfcr").constData()) == 0);
        addBytes("in a folder named in Latin-1", makeNamed(root + "/d\xfcr", "x.jpg"), true);
        addBytes("Latin-1 name in that folder", makeNamed(root + "/d\xfcr", "\xe9t\xe9.jpg"), true);
        // exiftool's leftover from a crash long ago is not ours to delete, nor in the way.
        const QString leftover = Fixtures::make(root, "jpg", "leftover.jpg");
        Fixtures::writeAll(leftover + "_exiftool_tmp", "from a crash long ago");
        add("leftover temporary file", leftover, true);

        // Things that are no picture at all.
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/fifo.jpg").constData(), 0644), 0);
        add("fifo", root + "/fifo.jpg", false, "not a regular file");
        QVERIFY(QFile::link("/dev/zero", root + "/device.jpg"));
        add("device", root + "/device.jpg", false, "not a regular file");
        QVERIFY(QDir().mkpath(root + "/photos.jpg"));
        add("folder named like a picture", root + "/photos.jpg", false, "folder");
        add("picture in that folder", Fixtures::make(root + "/photos.jpg", "jpg", "inside.jpg"), false, {}, false);

        // Content that is no picture, or a broken one.
        Fixtures::writeAll(root + "/text.jpg", Fixtures::author + QByteArray(" wrote this\n"));
        add("text named .jpg", root + "/text.jpg", false, "This is not a JPEG picture (it looks like text). It was left unchanged.");
        Fixtures::writeAll(root + "/zero.jpg", {});
        add("zero bytes", root + "/zero.jpg", false, "File is empty");
        const QByteArray whole = Fixtures::readAll(Fixtures::make(root, "jpg", "whole.jpg"));
        QFile::remove(root + "/whole.jpg");
        Fixtures::writeAll(root + "/truncated.jpg", whole.left(whole.size() * 2 / 3));
        add("truncated JPEG", root + "/truncated.jpg", false);
        for (const QString &extension : MoreFixtures::kinds) {
            const QByteArray made = Fixtures::readAll(Fixtures::make(root, extension, "whole." + extension));
            QFile::remove(root + "/whole." + extension);
            Fixtures::writeAll(root + "/cut." + extension, made.left(made.size() / 2));
            // HEIF's items are removed in place; the check after it finds the rest cut off.
            add("truncated " + extension, root + "/cut." + extension, false,
                extension == "avif" ? "did not pass its check" : "damaged");
        }
        Fixtures::writeAll(root + "/DSCF0001.RAF", MoreFixtures::fujifilmHeader());
        add("Fujifilm raw", root + "/DSCF0001.RAF", false, "does not rewrite Fujifilm RAF files");

        // Audio and drawings a stranger broke: each costs its own row.
        const auto broken = [&](const QString &name, qsizetype keep, const QByteArray &tail = {}) {
            const QString path = Fixtures::make(root, QFileInfo(name).suffix(), name);
            Fixtures::writeAll(path, Fixtures::readAll(path).left(keep) + tail);
            return path;
        };
        add("truncated FLAC", broken("truncated.flac", 60), false, "damaged");
        add("MP3 whose ID3v2 tag runs past the end", broken("long-tag.mp3", 200), false, "damaged");
        add("WAV whose chunk runs past the end", broken("cut.wav", 1000, "bext\xff\xff\xff\x00"), false, "damaged");
        const QString ogg = Fixtures::make(root, "ogg", "flipped.ogg");
        QByteArray flipped = Fixtures::readAll(ogg);
        flipped[flipped.size() - 3] = char(flipped[flipped.size() - 3] ^ 0x20);
        Fixtures::writeAll(ogg, flipped);
        add("Ogg page with a wrong checksum", ogg, false, "damaged");
        Fixtures::writeAll(root + "/laughs.svg", "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"" + QByteArray(Fixtures::author)
                                                     + "\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                                                       "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>&c;</text></svg>");
        add("SVG of a billion laughs", root + "/laughs.svg", false, "declares entities");
        Fixtures::writeAll(root + "/text.mp3", Fixtures::author + QByteArray(" wrote this\n"));
        add("text named .mp3", root + "/text.mp3", false, "left unchanged");

        // Files that are not ours to replace.
        const QString unreadable = Fixtures::make(root, "jpg", "unreadable.jpg");
        add("unreadable", unreadable, false, permissionsBite ? "ermission" : "");
        QVERIFY(QDir().mkpath(root + "/locked"));
        add("in a read-only folder", Fixtures::make(root + "/locked", "jpg", "inside.jpg"), false,
            permissionsBite ? "cannot write in the folder" : "");
        const QString linked = Fixtures::make(root, "jpg", "linked.jpg");
        QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(root + "/linked-too.jpg").constData()), 0);
        add("hard-linked", linked, false, "hard link");
        add("other name of the hard link", root + "/linked-too.jpg", false, {}, false);
        // A name that looks like the message's own placeholders is shown as it is.
        const QString percent = Fixtures::make(root, "jpg", "h%1%2.jpg");
        QCOMPARE(::link(QFile::encodeName(percent).constData(), QFile::encodeName(root + "/h-too.jpg").constData()), 0);
        add("placeholders in a name", percent, false, "h%1%2.jpg has 1 other names");
        add("other name of that file", root + "/h-too.jpg", false, {}, false);
        add("placeholders in a clean name", Fixtures::make(root, "jpg", "%2 50%1.jpg"), true);
        QFile::setPermissions(unreadable, QFileDevice::Permissions());
        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::ExeOwner);

        // Between adding and cleaning, two files go away.
        const QString vanishing = Fixtures::make(root, "jpg", "vanishing.jpg");
        const QString renamed = Fixtures::make(root, "jpg", "renamed.jpg");
        const QStringList before = entries(root);
        Pipeline pipeline(persistent);
        TessalyViewModel model(pipeline.cleaner, pipeline.pool, ModelOptions{10ms});
        QList<QUrl> urls{QUrl::fromLocalFile(vanishing), QUrl::fromLocalFile(renamed)};
        for (const Case &c : cases)
            if (c.listed)
                urls << urlForLocalPath(c.path);
        model.addFiles(urls);
        QVERIFY(QFile::remove(vanishing));
        QVERIFY(QFile::rename(renamed, root + "/renamed-away.jpg"));
        add("vanishing", vanishing, false, "not found");
        add("renamed", renamed, false, "not found");
        runToTheEnd(model, {});

        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(unreadable, QFile::ReadOwner | QFile::WriteOwner);

        for (const Case &c : cases) {
            const FileItem *item = itemFor(model, c.path);
            const QByteArray now = regularFileBytes(c.path);
            const QString what = c.name + ": " + messageOf(item);
            if (c.mustClean) {
                QVERIFY2(item && item->status == FileStatus::done, qPrintable(what));
                QVERIFY2(Fixtures::found(now, Fixtures::planted("jpg")).isEmpty(), qPrintable(c.name));
                QVERIFY2(!QImage::fromData(now).isNull(), qPrintable(c.name + " no longer decodes"));
                // The tool's tables reach the row.
                const MetadataTable before = Fixtures::ungrouped(item->metadataBefore()),
                                    after = Fixtures::ungrouped(item->metadataAfter());
                QVERIFY2(before.value("Artist") == Fixtures::author && before.contains("GPSLatitude")
                             && !after.contains("Artist") && !after.contains("GPSLatitude") && after.contains("ImageWidth"),
                         qPrintable(c.name));
                // Two names never read the same: a byte that is no text shows its value.
                QCOMPARE(item->fileName, visibleFileName(c.path));
                QVERIFY2(isTextPath(c.path) || item->fileName.contains(u'\uFFFD'), qPrintable(item->fileName));
                QVERIFY2(!item->fileName.contains(u'\n'), qPrintable(c.name));
            } else if (item && item->status == FileStatus::done) {
                // The tool managed after all: then the file must be clean and whole.
                QVERIFY2(!marked(now), qPrintable(what));
            } else if (item) {
                QVERIFY2(item->status == FileStatus::error, qPrintable(what));
                QVERIFY2(item->errorMessage() && item->errorMessage()->size() > 12, qPrintable(what));
                QVERIFY2(now == c.bytes, qPrintable(c.name + " was changed although its row says error"));
            } else {
                QVERIFY2(!c.listed && now == c.bytes, qPrintable(c.name + " was changed although it was never listed"));
            }
            if (c.mustClean)
                QCOMPARE(messageOf(item), QStringLiteral("(no error)"));
            else if (!c.message.isEmpty())
                QVERIFY2(messageOf(item).contains(c.message, Qt::CaseInsensitive), qPrintable(what));
        }
        QCOMPARE(Fixtures::readAll(leftover + "_exiftool_tmp"), QByteArray("from a crash long ago"));
        // Nothing new lies anywhere.
        QStringList expected = before;
        expected.removeOne("vanishing.jpg");
        expected.removeOne("renamed.jpg");
        expected.append("renamed-away.jpg");
        expected.sort();
        QCOMPARE(entries(root), expected);

        // Later runs still work.
        const QString later = Fixtures::make(root, "jpg", "later.jpg");
        runToTheEnd(model, {QUrl::fromLocalFile(later)});
        QCOMPARE(itemFor(model, later)->status, FileStatus::done);
    }

    // Situations in which rewriting would lose, expose or corrupt a file.
    // Each row adds files to a model (or two), perhaps changes them while
    // they are cleaned, and says what each file must be afterwards.
    void unsafeSituations_data()
    {
        QTest::addColumn<QString>("situation");
        for (const char *situation :
             {"same file by link and odd spellings", "same files in two windows", "hostile PDFs beside ordinary files",
              "replaced while being cleaned", "held open for writing", "link swapped after adding",
              "disk full", "access control and attributes", "read-only PDF and MKV, under a locale never generated",
              "no permissions on the file system", "small disk full, photo and video", "disk turned read-only mid-run",
              "group the user is not in", "names that are not UTF-8", "damaged office document",
              "ZIP bomb named as a spreadsheet", "entity bomb in an e-book"})
            QTest::newRow(situation) << QString::fromLatin1(situation);
    }

    void unsafeSituations()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString root = dir.path();
        auto removeAll = qScopeGuard([&root] { removeTree(QFile::encodeName(root)); });
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
            // The helpers that edit a staged copy, given names of any bytes: a
            // PDF and a Matroska video in a Latin-1 folder (their staging
            // folder's name is no text either), and a Latin-1 video.
            const QByteArray base = QFile::encodeName(root);
            QCOMPARE(::mkdir(QByteArray(base + "/Fotos \xe9t\xe9").constData(), 0755), 0);
            const QList<std::pair<const char *, QByteArray>> files{
                {"pdf", base + "/Fotos \xe9t\xe9/caf\xe9.pdf"}, {"mkv", base + "/Fotos \xe9t\xe9/in.mkv"}, {"mp4", base + "/caf\xe9.mp4"}};
            QList<QUrl> urls;
            for (const auto &[extension, path] : files) {
                const QString made = Fixtures::make(root, extension, u"made."_qs + QLatin1String(extension));
                QCOMPARE(::rename(QFile::encodeName(made).constData(), path.constData()), 0);
                urls << urlForLocalPath(path);
            }
            model->addFiles(urls);
            endOfRun(*model);
            QCOMPARE(model->doneCount(), 3);
            for (const auto &[extension, path] : files) {
                const QByteArray now = regularFileBytes(path);
                QVERIFY2(!now.isEmpty() && Fixtures::found(now, Fixtures::planted(extension)).isEmpty(), extension);
                QVERIFY(!stagedFolderIn(path.left(path.lastIndexOf('/'))));
            }
        } else if (situation == "group the user is not in") {
            groupTheUserIsNotIn(root);
        } else if (situation.contains("office") || situation.contains("bomb")) {
            // Refused with its reason, beside an ordinary document that is cleaned.
            const QString hostile = hostileArchive(situation, root), ordinary = Fixtures::make(root, "docx");
            model->addFiles({QUrl::fromLocalFile(hostile), QUrl::fromLocalFile(ordinary)});
            endOfRun(*model);
            QVERIFY2(messageOf(itemFor(*model, hostile)).contains(hostileMessage(situation)),
                     qPrintable(messageOf(itemFor(*model, hostile))));
            QCOMPARE(Fixtures::readAll(hostile), Fixtures::readAll(root + "/hostile.orig"));
            QCOMPARE(status(root + "/sample.docx"), FileStatus::done);
            QVERIFY(!Fixtures::marked(root + "/sample.docx"));
        }
        QVERIFY(!stagedFolderIn(root));
    }

    // The app quits, or is killed, while a large file is being cleaned: the
    // file is whole (untouched or cleaned), and the staged copy is gone at
    // once after a quit, at the next start after a kill.
    void appStoppedMidClean_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("signal");
        for (const char *extension : {"jpg", "pdf", "mkv"}) {
            QTest::addRow("%s, quit", extension) << extension << int(SIGTERM);
            QTest::addRow("%s, killed", extension) << extension << int(SIGKILL);
        }
    }

    void appStoppedMidClean()
    {
        QFETCH(QString, extension);
        QFETCH(int, signal);
        QTemporaryDir dir, state;
        const QString file = dir.filePath("big." + extension);
        makeBigFile(file);
        const QByteArray original = Fixtures::readAll(file);
        const QStringList before = entries(dir.path());
        // exiftool processes left with nobody to talk to are adopted by init;
        // those there before are not ours: anything else on the machine may leave them.
        const QList<qint64> orphansBefore = Fixtures::liveChildren("exiftool", 1);

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", state.path());
        env.remove("DBUS_SESSION_BUS_ADDRESS"); // a Tessaly the user has open must not take the file
        env.insert("XDG_CONFIG_HOME", state.path());
        app.setProcessEnvironment(env);
        app.start(QCoreApplication::applicationDirPath() + "/tessaly", {file});
        QVERIFY(app.waitForStarted());
        QDeadlineTimer deadline(60000);
        bool caught = false;
        while (!(caught = stagedFolderIn(dir.path())) && Fixtures::readAll(file) == original && !deadline.hasExpired())
            QThread::usleep(100);
        ::kill(app.processId(), signal);
        app.waitForFinished();
        QVERIFY2(caught, "the clean was over before the app could be stopped: make the file larger");

        if (signal == SIGKILL) {
            QVERIFY(stagedFolderIn(dir.path())); // nobody was left to remove it
            QProcess again;
            again.setProcessEnvironment(env);
            again.start(QCoreApplication::applicationDirPath() + "/tessaly", QStringList());
            QVERIFY(again.waitForStarted());
            // The sweep removes the folder, then its note: a stop between the two would leave the note.
            QTRY_VERIFY_WITH_TIMEOUT(!stagedFolderIn(dir.path()) && entries(state.path() + "/tessaly/staging").isEmpty(), 20000);
            again.terminate();
            QVERIFY(again.waitForFinished(20000));
        }
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(entries(state.path() + "/tessaly/staging"), QStringList()); // no note outlives its app
        const QByteArray now = Fixtures::readAll(file);
        QVERIFY2(now == original || !marked(now), "the file is neither untouched nor cleaned");
        QTRY_VERIFY_WITH_TIMEOUT(
            std::ranges::all_of(Fixtures::liveChildren("exiftool", 1), [&](qint64 pid) { return orphansBefore.contains(pid); }), 10000);
    }
};

// The clean of one file as another user, for groupTheUserIsNotIn.
static int cleanAsWorker(int argc, char *argv[])
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

int main(int argc, char *argv[])
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
    QCoreApplication app(argc, argv);
    tst_BadInput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badinput.moc"
