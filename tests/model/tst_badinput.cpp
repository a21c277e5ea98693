#include <OneShotRunner.h>
#include <TessalyViewModel.h>
#include <Translations.h>

#include <FakeTool.h>
#include <TestFiles.h>

#include <QDirIterator>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
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
        QString path;
        QByteArray bytes;   // as made, to tell "untouched" from "cleaned"
        bool mustClean;     // false: an error is the right outcome (or a clean, if the tool manages)
    };

    static QString runnerName() { return QString::fromLatin1(QTest::currentDataTag()); }

    static ModelOptions optionsFor(const QString &runner)
    {
        ModelOptions options;
        if (runner == QLatin1String("one process per run"))
            options.service.runner = std::make_shared<OneShotRunner>();
        options.runTail = 10ms;
        return options;
    }

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

    // exiftool processes left running with nobody to talk to: reparented to
    // init when the process that started them died.
    static QSet<QString> orphanedTools()
    {
        QSet<QString> found;
        const QStringList pids = QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs);
        for (const QString &pid : pids) {
            const QByteArray stat = TestFiles::readAll("/proc/" + pid + "/stat");
            const qsizetype close = stat.lastIndexOf(')');
            const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
            if (fields.size() < 2 || fields[1] != "1")
                continue;
            const QByteArray cmdline = TestFiles::readAll("/proc/" + pid + "/cmdline");
            if (cmdline.contains("exiftool"))
                found << pid + ": " + QString::fromUtf8(cmdline).replace(QChar(0), u' ');
        }
        return found;
    }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    static ino_t inodeOf(const QString &path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    }

    static const FileItem *itemFor(const TessalyViewModel &model, const QString &path)
    {
        for (const FileItem &item : model.files())
            if (item.url == QUrl::fromLocalFile(path))
                return &item;
        return nullptr;
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
        QTest::addColumn<int>("unused");
        QTest::newRow("persistent workers") << 0;
        QTest::newRow("one process per run") << 0;
    }

    void whatAFileManagerHolds()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QList<Case> cases;
        auto add = [&](const QString &name, const QString &path, bool mustClean) {
            cases.append({name, path, TestFiles::readAll(path), mustClean});
            QVERIFY(!cases.last().bytes.isEmpty() || QFileInfo(path).size() == 0);
        };

        // Files that must come out clean, whatever their names.
        const QString good = TestFiles::makeJpegWithMetadata(root, "good.jpg");
        add("plain", good, true);
        add("spaces", TestFiles::makeJpegWithMetadata(root, "with some spaces.jpg"), true);
        add("unicode", TestFiles::makeJpegWithMetadata(root, QStringLiteral(u"ünïcødé 写真 🙂.jpg")), true);
        add("line break", TestFiles::makeJpegWithMetadata(root, "line\nbreak.jpg"), true);
        add("leading dash", TestFiles::makeJpegWithMetadata(root, "-all=.jpg"), true);
        add("leading space and hash", TestFiles::makeJpegWithMetadata(root, " #hash.jpg"), true);
        const QString longName = root + "/" + QString(251, u'n') + ".jpg";
        QVERIFY(QFile::rename(TestFiles::makeJpegWithMetadata(root, "long.jpg"), longName));
        add("255-byte name", longName, true);
        QString deep = root;
        for (int level = 0; level < 24; ++level)
            deep += "/" + QString(120, QChar(u'a' + level % 26));
        QVERIFY(QDir().mkpath(deep));
        add("deep path", TestFiles::makeJpegWithMetadata(deep, "deep.jpg"), true);
        QVERIFY(deep.toUtf8().size() > 2900);

        // Things that are no picture at all.
        const QString fifo = root + "/fifo.jpg";
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        cases.append({"fifo", fifo, {}, false});
        const QString device = root + "/device.jpg";
        QVERIFY(QFile::link("/dev/zero", device));
        cases.append({"device", device, {}, false});
        const QString folder = root + "/photos.jpg";
        QVERIFY(QDir().mkpath(folder));
        add("picture inside a folder named like a picture", TestFiles::makeJpegWithMetadata(folder, "inside.jpg"), false);

        // Content that does not match its name, or is broken.
        QFile::copy(TestFiles::makePdfWithMetadata(root, "real.pdf"), root + "/pdf-inside.jpg");
        QFile::remove(root + "/real.pdf");
        add("a PDF named .jpg", root + "/pdf-inside.jpg", false);
        write(root + "/text.jpg", "Jane Marker wrote this\n");
        add("text named .jpg", root + "/text.jpg", false);
        write(root + "/zero.jpg", {});
        add("zero bytes", root + "/zero.jpg", false);
        const QByteArray whole = TestFiles::readAll(TestFiles::makeJpegWithMetadata(root, "whole.jpg"));
        QFile::remove(root + "/whole.jpg");
        write(root + "/truncated.jpg", whole.left(whole.size() * 2 / 3));
        add("truncated JPEG", root + "/truncated.jpg", false);

        // Files whose situation changes, or that are not ours to replace.
        const QString vanishing = TestFiles::makeJpegWithMetadata(root, "vanishing.jpg");
        const QString renamed = TestFiles::makeJpegWithMetadata(root, "renamed.jpg");
        const QString unreadable = TestFiles::makeJpegWithMetadata(root, "unreadable.jpg");
        add("unreadable", unreadable, false);
        QVERIFY(QDir().mkpath(root + "/locked"));
        const QString inLockedFolder = TestFiles::makeJpegWithMetadata(root + "/locked", "inside.jpg");
        add("in a read-only folder", inLockedFolder, false);
        const QString linked = TestFiles::makeJpegWithMetadata(root, "linked.jpg");
        QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(root + "/linked-too.jpg").constData()), 0);
        add("hard-linked", linked, false);
        add("other name of the hard link", root + "/linked-too.jpg", false);
        const QString leftover = TestFiles::makeJpegWithMetadata(root, "leftover.jpg");
        write(leftover + "_exiftool_tmp", "from a crash long ago");
        add("leftover temporary file", leftover, false);

        QFile::setPermissions(unreadable, QFileDevice::Permissions());
        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::ExeOwner);
        const bool permissionsBite = !QFile(unreadable).open(QIODevice::ReadOnly);

        const QStringList before = entries(root);
        TessalyViewModel model(optionsFor(runnerName()));
        QList<QUrl> urls;
        for (const Case &c : cases)
            if (c.name != "other name of the hard link" && c.name != "picture inside a folder named like a picture")
                urls << QUrl::fromLocalFile(c.path);
        urls << QUrl::fromLocalFile(folder) << QUrl::fromLocalFile(vanishing) << QUrl::fromLocalFile(renamed);
        model.addFiles(urls);
        // Between adding and cleaning, two files go away.
        QVERIFY(QFile::remove(vanishing));
        QVERIFY(QFile::rename(renamed, root + "/renamed-away.jpg"));
        runToTheEnd(model, {});

        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(unreadable, QFile::ReadOwner | QFile::WriteOwner);

        for (const Case &c : cases) {
            const FileItem *item = itemFor(model, c.path);
            // Reading a pipe would wait for a writer; only regular files have bytes to compare.
            const QByteArray now = QFileInfo(c.path).isFile() ? TestFiles::readAll(c.path) : QByteArray();
            const QString what = c.name + ": " + (item && item->errorMessage ? *item->errorMessage : QString());
            if (c.mustClean) {
                QVERIFY2(item && item->status == FileStatus::done, qPrintable(what));
                QVERIFY2(!now.contains("Jane Marker") && !now.contains("SN-424242"), qPrintable(c.name));
                QVERIFY2(!QImage::fromData(now).isNull(), qPrintable(c.name + " no longer decodes"));
                // The tool's tables reach the row.
                QVERIFY2(item->metadataBefore.value("Artist") == "Jane Marker" && item->metadataBefore.contains("GPSLatitude")
                             && !item->metadataAfter.contains("Artist") && item->metadataAfter.contains("ImageWidth"),
                         qPrintable(c.name));
            } else if (item && item->status == FileStatus::done) {
                // The tool managed after all: then the file must be clean and whole.
                QVERIFY2(!now.contains("Jane Marker"), qPrintable(what));
            } else if (item) {
                QVERIFY2(item->status == FileStatus::error, qPrintable(what));
                QVERIFY2(item->errorMessage && item->errorMessage->size() > 12, qPrintable(what));
                QVERIFY2(now == c.bytes, qPrintable(c.name + " was changed although its row says error"));
            } else {
                QVERIFY2(now == c.bytes, qPrintable(c.name + " was changed although it was never listed"));
            }
        }

        qInfo("permissions %s", permissionsBite ? "apply" : "do not apply (running with root's powers)");
        QList<std::pair<QString, QStringList>> messages{
            {fifo, {"not a regular file"}}, {device, {"not a regular file"}}, {folder, {"folder"}},
            {vanishing, {"not found"}}, {renamed, {"not found"}}, {linked, {"hard link"}},
            {root + "/zero.jpg", {"File is empty"}}, {leftover, {"Temporary file already exists"}}};
        if (permissionsBite)
            messages += {{inLockedFolder, {"Error creating file"}}, {unreadable, {"Error opening file", "ermission"}}};
        for (const auto &[path, words] : messages) {
            const FileItem *item = itemFor(model, path);
            const QString message = item && item->errorMessage ? *item->errorMessage : QStringLiteral("(no error)");
            qInfo("%s -> %s", qPrintable(QFileInfo(path).fileName()), qPrintable(message.trimmed()));
            QVERIFY2(std::any_of(words.begin(), words.end(), [&](const QString &w) { return message.contains(w, Qt::CaseInsensitive); }),
                     qPrintable(message));
        }
        // The leftover is not ours to delete; nothing new lies anywhere.
        QCOMPARE(TestFiles::readAll(leftover + "_exiftool_tmp"), QByteArray("from a crash long ago"));
        QStringList expected = before;
        expected.removeOne("vanishing.jpg");
        expected.removeOne("renamed.jpg");
        expected.append("renamed-away.jpg");
        expected.sort();
        QCOMPARE(entries(root), expected);

        // Later runs still work.
        const QString later = TestFiles::makeJpegWithMetadata(root, "later.jpg");
        runToTheEnd(model, {QUrl::fromLocalFile(later)});
        QCOMPARE(itemFor(model, later)->status, FileStatus::done);
    }

    // One big drop and a burst of small ones, on the runner the app ships:
    // every file ends done, and the UI thread keeps turning meanwhile.
    void manyFilesAndQuickDrops()
    {
        const int bigDrop = qEnvironmentVariableIntValue("TESSALY_LOAD_FILES") ? qEnvironmentVariableIntValue("TESSALY_LOAD_FILES") : 5000;
        const int burst = 20, perBurstDrop = 25;
        QTemporaryDir dir;
        const QString sample = TestFiles::makeJpegWithMetadata(dir.path(), "sample.jpg");
        QList<QUrl> first;
        QList<QList<QUrl>> drops(burst);
        for (int i = 0; i < bigDrop + burst * perBurstDrop; ++i) {
            const QString path = dir.filePath(QStringLiteral("photo-%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
            QVERIFY(QFile::copy(sample, path));
            (i < bigDrop ? first : drops[(i - bigDrop) / perBurstDrop]).append(QUrl::fromLocalFile(path));
        }

        TessalyViewModel model(optionsFor("persistent workers"));
        QElapsedTimer sinceTick, clock;
        qint64 longestStall = 0;
        QTimer heartbeat;
        heartbeat.setInterval(5);
        connect(&heartbeat, &QTimer::timeout, this, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });

        clock.start();
        sinceTick.start();
        heartbeat.start();
        model.addFiles(first);
        // The burst comes while the big drop is being cleaned, 20 ms apart.
        for (const QList<QUrl> &drop : drops) {
            QTest::qWait(20);
            model.addFiles(drop);
        }
        // A plain event loop, as the app runs one: QTRY's polling sleeps between turns.
        QEventLoop untilDone;
        connect(&model, &TessalyViewModel::isProcessingChanged, &untilDone, [&] {
            if (!model.isProcessing())
                untilDone.quit();
        });
        QTimer::singleShot(600000, &untilDone, &QEventLoop::quit);
        if (model.isProcessing())
            untilDone.exec();
        heartbeat.stop();

        QCOMPARE(model.doneCount(), qint64(bigDrop + burst * perBurstDrop));
        QCOMPARE(model.errorCount(), 0);
        for (int i : {0, bigDrop / 2, bigDrop + burst * perBurstDrop - 1})
            QVERIFY(!TestFiles::readAll(model.files()[i].url.toLocalFile()).contains("Jane Marker"));
        const QByteArray status = TestFiles::readAll("/proc/self/status");
        const qsizetype at = status.indexOf("VmHWM:");
        qInfo("%lld files in %.1f s; longest UI-thread stall %lld ms; peak resident memory %s",
              qint64(model.totalCount()), clock.elapsed() / 1000.0, longestStall,
              status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().constData());
        QVERIFY2(longestStall < 1000, "the UI thread froze");
    }

    // Tools that crash, talk nonsense or never end: each a clear error, and
    // the run still ends.
    void brokenTools_data()
    {
        QTest::addColumn<QString>("runner");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        for (const char *runner : {"persistent workers", "one process per run"}) {
            QTest::addRow("%s: crashes", runner) << runner << QByteArray("kill -SEGV $$")
                                                 << "ExifTool: exiftool stopped unexpectedly (it crashed or was killed)";
            QTest::addRow("%s: garbage", runner) << runner << QByteArray("echo '[{\"A\": tru'")
                                                 << "The tool's output is not valid JSON";
            QTest::addRow("%s: never ends", runner) << runner << QByteArray("exec sleep 60")
                                                    << "ExifTool process timed out";
        }
    }

    void brokenTools()
    {
        QFETCH(QString, runner);
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeFakeTool(dir.filePath("tool"), script);
        ModelOptions options = optionsFor(runner);
        options.service.resourceDirectory = dir.filePath("tool");
        options.service.limits = RunLimits{500ms, 0ms};
        TessalyViewModel model(options);

        const QString photo = TestFiles::makeJpegWithMetadata(dir.path(), "photo.jpg");
        const QByteArray bytes = TestFiles::readAll(photo);
        runToTheEnd(model, {QUrl::fromLocalFile(photo)});
        QCOMPARE(model.errorCount(), 1);
        QVERIFY2(model.files()[0].errorMessage->startsWith(message), qPrintable(*model.files()[0].errorMessage));
        QCOMPARE(TestFiles::readAll(photo), bytes);
    }

    // The app is killed while exiftool rewrites a large photo: the photo is
    // whole (untouched or cleaned) and nothing is left beside it.
    void appKilledMidStrip_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("as soon as the copy appears") << 0;
        QTest::newRow("while the copy grows") << 40;
    }

    void appKilledMidStrip()
    {
        QFETCH(int, delayMs);
        QTemporaryDir dir;
        const QString photo = dir.filePath("big.jpg");
        QImage noise(3000, 2000, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (quint32 *pixel = reinterpret_cast<quint32 *>(noise.bits()), *end = pixel + 3000 * 2000; pixel != end; ++pixel)
            *pixel = (seed = seed * 1664525u + 1013904223u);
        QVERIFY(noise.save(photo, "JPEG", 100));
        TestFiles::runExifTool({"-overwrite_original", "-Artist=Jane Marker", photo});
        const QByteArray original = TestFiles::readAll(photo);
        const QStringList before = entries(dir.path());
        const QSet<QString> orphansBefore = orphanedTools(); // not ours: anything else on the machine may leave them

        QProcess app;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.start(QCoreApplication::applicationDirPath() + "/tessaly", {photo});
        QVERIFY(app.waitForStarted());

        const QString copy = photo + "_exiftool_tmp";
        const ino_t originalInode = inodeOf(photo);
        QDeadlineTimer deadline(60000);
        while (!QFile::exists(copy) && inodeOf(photo) == originalInode && !deadline.hasExpired())
            QThread::usleep(200);
        if (delayMs)
            QThread::msleep(delayMs);
        ::kill(app.processId(), SIGKILL);
        app.waitForFinished();

        // exiftool hears of its parent's death and cleans up after itself.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(copy), 10000);
        QCOMPARE(entries(dir.path()), before);
        const QByteArray now = TestFiles::readAll(photo);
        QVERIFY2(now == original || (!now.contains("Jane Marker") && !QImage::fromData(now).isNull()),
                 "the photo is neither untouched nor cleanly stripped");
        // Nor does any of its exiftool processes live on.
        QTRY_COMPARE_WITH_TIMEOUT(orphanedTools().subtract(orphansBefore), QSet<QString>(), 10000);
    }
};

int main(int argc, char *argv[])
{
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
