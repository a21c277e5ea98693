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

// Whatever a file manager may hold, dropped on the window: every row ends
// done or in error with a message a person understands, every file is either
// untouched or fully cleaned, nothing is left beside it, and later runs work.
class tst_BadInput : public QObject, private BadInput
{
    Q_OBJECT

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
        // Whether a mode of 000 keeps this process out (not with root's powers).
        const QString probe = root + "/probe";
        Fixtures::writeAll(probe, "x");
        QFile::setPermissions(probe, QFileDevice::Permissions());
        const bool permissionsBite = !QFile(probe).open(QIODevice::ReadOnly);
        QFile::remove(probe);
        qInfo("permissions %s", permissionsBite ? "apply" : "do not apply (running with root's powers)");

        QList<Case> cases;
        auto add = [&](const QString &name, const QString &path, bool mustClean, const QString &message = {}, bool listed = true) {
            // Reading a pipe would wait for a writer; only regular files have bytes to compare.
            cases.append({name, path, QFileInfo(path).isFile() ? Fixtures::readAll(path) : QByteArray(), mustClean, message, listed});
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
                urls << QUrl::fromLocalFile(c.path);
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
            const QByteArray now = QFileInfo(c.path).isFile() ? Fixtures::readAll(c.path) : QByteArray();
            const QString what = c.name + ": " + messageOf(item);
            if (c.mustClean) {
                QVERIFY2(item && item->status == FileStatus::done, qPrintable(what));
                QVERIFY2(Fixtures::found(now, Fixtures::planted("jpg")).isEmpty(), qPrintable(c.name));
                QVERIFY2(!QImage::fromData(now).isNull(), qPrintable(c.name + " no longer decodes"));
                // The tool's tables reach the row.
                const MetadataTable before = Fixtures::ungrouped(item->metadataBefore()),
                                    after = Fixtures::ungrouped(item->metadataAfter());
                QVERIFY2(before.value("Artist") == Fixtures::author && before.contains("GPSLatitude")
                             && !after.contains("Artist") && after.contains("ImageWidth"),
                         qPrintable(c.name));
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
            QTRY_VERIFY_WITH_TIMEOUT(!stagedFolderIn(dir.path()), 20000);
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

int main(int argc, char *argv[])
{
    if (const std::optional<int> workerExit = BadInput::prepareProcess(argc, argv))
        return *workerExit;
    QCoreApplication app(argc, argv);
    tst_BadInput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badinput.moc"
