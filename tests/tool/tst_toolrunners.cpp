// The two ways of running the tool, one process per run and workers that
// stay open, give the same results; every way a run can end reaches the
// caller as the same outcome through both.

#include <CancelScope.h>
#include <ExifToolService.h>
#include <FileCleaner.h>
#include <FileItem.h>
#include <OneShotRunner.h>
#include <Sandbox.h>
#include <SandboxGrant.h>
#include <StayOpenRunner.h>
#include <Translations.h>

#include <FakeTool.h>
#include <Fixtures.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace std::chrono_literals;

namespace {

QString writePerlStandIn(const QString &directory, const QByteArray &version = "1")
{
    return writeStayOpenStandIn(directory, version);
}

std::unique_ptr<ToolRunner> oneWorkerOrOneShot(bool persistent)
{
    if (persistent)
        return std::make_unique<StayOpenRunner>(StayOpenRunner::Options{1, 1000, qint64(512) << 20});
    return std::make_unique<OneShotRunner>();
}

QList<qint64> ourChildren(const QByteArray &needle = "-stay_open") { return Fixtures::liveChildren(needle); }

QString resultText(const Expected<QByteArray> &result)
{
    return result ? QString::fromUtf8(result.value()) : "error: " + describe(result.error());
}

// "N tags", or the failure's kind (its index) and text.
QString outcome(const Expected<MetadataTable> &table)
{
    return table ? QString("%1 tags").arg(table.value().size())
                 : QString::number(table.error().index()) + ": " + describe(table.error());
}

// Sorted "key = value" lines, without what differs between two copies.
QString tableText(const Expected<MetadataTable> &table)
{
    if (!table)
        return "error: " + describe(table.error());
    QStringList lines;
    for (auto it = table.value().begin(); it != table.value().end(); ++it)
        if (!QStringList{"Directory", "FileModifyDate", "FileAccessDate", "FileInodeChangeDate"}.contains(it.key()))
            lines.append(it.key() + " = " + it.value());
    lines.sort();
    return lines.join(u'\n');
}

// Tables before and after, the strip's outcome, and the bytes left (PDF
// trailer IDs, fresh on every rewrite, blanked).
QStringList clean(const QString &path, const std::shared_ptr<ToolRunner> &runner)
{
    static const QRegularExpression pdfId("/ID \\[<[0-9a-fA-F]*> ?<[0-9a-fA-F]*>\\]");
    const FileCleaner cleaner(ToolPaths::installed(), *runner);
    const QUrl url = QUrl::fromLocalFile(path);
    const CleanResult result = cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, {}});
    MetadataTable before = result.metadataBefore.unpack(), after = result.metadataAfter.unpack();
    return {tableText(before), result.success() ? "ok" : *result.errorMessage(), tableText(after),
            QString::fromLatin1(Fixtures::readAll(path)).replace(pdfId, "/ID []")};
}

} // namespace

class tst_ToolRunners : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<OneShotRunner> m_oneShot = std::make_shared<OneShotRunner>();

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    // Two workers shared by three threads clean like one process per run, and end with their runner.
    void cleansLikeOneProcessPerRun()
    {
        const QString source = m_dir.filePath("corpus");
        QVERIFY(QDir().mkpath(source));
        const QStringList corpus{Fixtures::make(source, "jpg"), Fixtures::make(source, "png"),
                                 Fixtures::make(source, "pdf"),
                                 Fixtures::make(source, "jpg", "name with spaces & $sign.jpg")};
        for (const char *copy : {"one-shot/", "stay-open/"}) {
            QVERIFY(QDir().mkpath(m_dir.filePath(copy)));
            for (const QString &file : corpus)
                QVERIFY(QFile::copy(file, m_dir.filePath(copy + QFileInfo(file).fileName())));
        }

        auto runner = std::make_shared<StayOpenRunner>(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        QThreadPool threads;
        threads.setMaxThreadCount(3);
        QList<QFuture<QStringList>> persistent;
        for (const QString &file : corpus)
            persistent.append(
                QtConcurrent::run(&threads, clean, m_dir.filePath("stay-open/" + QFileInfo(file).fileName()), runner));
        for (qsizetype i = 0; i < corpus.size(); ++i) {
            const QString name = QFileInfo(corpus[i]).fileName();
            const QStringList expected = clean(m_dir.filePath("one-shot/" + name), m_oneShot);
            QCOMPARE(persistent[i].result(), expected);
            QVERIFY2(expected[0].contains(Fixtures::author) && !expected[2].contains(Fixtures::author), qPrintable(name));
        }
        QCOMPARE(runner->counts().oneShot, 0);
        QVERIFY(runner->counts().persistent >= 2 * corpus.size()); // PDFs are rewritten by their own helper

        // Two at most for each kind of file the folder shows to a sandboxed worker (jpg, png, pdf).
        const qsizetype kinds = Sandbox::status().active() ? 3 : 1;
        QVERIFY(!ourChildren().isEmpty() && ourChildren().size() <= 2 * kinds);
        runner.reset();
        QVERIFY(ourChildren("exiftool").isEmpty());
    }

    // Escaped arguments give the one-shot result; those the argument file cannot carry run once.
    void argumentsGiveTheOneShotResult_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("persistent");
        QTest::newRow("plain") << "plain.jpg" << QStringList() << true;
        QTest::newRow("leading space") << " space.jpg" << QStringList() << true;
        QTest::newRow("leading hash") << "#hash.jpg" << QStringList() << true;
        QTest::newRow("line break") << "line\nbreak.jpg" << QStringList() << true;
        QTest::newRow("carriage return at the end") << "return.jpg\r" << QStringList() << true;
        QTest::newRow("backslash n, literally") << "back\\nslash.jpg" << QStringList() << true;
        QTest::newRow("dollar and line break") << "cost$\nline.jpg" << QStringList() << false;
        QTest::newRow("at and leading space") << " me@home.jpg" << QStringList() << false;
        QTest::newRow("spaces around =") << "plain.jpg" << QStringList{"-echo", "-x = y"} << true;
        QTest::newRow("condition fails") << "plain.jpg" << QStringList{"-if", "$FileSize eq 'never'"} << true;
        QTest::newRow("file missing") << "missing.jpg" << QStringList() << true;
        QTest::newRow("end of options") << "plain.jpg" << QStringList{"--"} << false;
        QTest::newRow("standard input") << "plain.jpg" << QStringList{"-"} << false;
    }

    void argumentsGiveTheOneShotResult()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, extra);
        QFETCH(bool, persistent);
        // Relative names, so that a leading space or "#" starts the line.
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
        if (name != "missing.jpg")
            Fixtures::make(dir.path(), "jpg", name);
        Fixtures::readAll(dir.filePath(name)); // settle the access time before both runs

        const QStringList arguments = extra + QStringList{"-all", "-j", name};
        SandboxGrant grant;
        grant.readable = {dir.path()};
        const QString expected = resultText(m_oneShot->run(Fixtures::program("exiftool"), arguments, 60s, grant));
        StayOpenRunner runner;
        QCOMPARE(resultText(runner.run(Fixtures::program("exiftool"), arguments, 60s, grant)), expected);
        QCOMPARE(runner.counts().persistent, persistent ? 1 : 0);
        QVERIFY(QTest::currentDataTag() != QByteArray("plain") || expected.contains(Fixtures::author));
    }

    // Every way a run can end, alike through both runners; hung or dead
    // workers are replaced, the others serve on.
    void endings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome"); // its start: the JSON reader's own detail may follow
        QTest::addColumn<bool>("workerSurvives");
        QTest::newRow("stderr without line break") << "nonewline.jpg" << "0: ExifTool: Warning: no line break" << true;
        QTest::newRow("exit 1, one stderr line keeps its line break")
            << "notfound.jpg" << "0: ExifTool: Error: File not found - x.jpg\n" << true;
        QTest::newRow("exit 2, stderr not UTF-8") << "notutf8.jpg" << "0: ExifTool: Unknown error" << true;
        QTest::newRow("exit 1 without stderr") << "silent.jpg" << "0: ExifTool: exiftool failed with exit status 1" << true;
        QTest::newRow("stderr with exit 0 is success") << "warning.jpg" << "1 tags" << true;
        QTest::newRow("no output") << "nothing.jpg" << "2: The tool's output is not valid JSON" << true;
        QTest::newRow("garbage") << "garbage.jpg" << "2: The tool's output is not valid JSON" << true;
        QTest::newRow("bare object") << "object.jpg" << "0: Failed to parse ExifTool output" << true;
        QTest::newRow("50 MB out, 200 kB err: no pipe stalls") << "huge.jpg" << "1 tags" << true;
        QTest::newRow("killed mid-command")
            << "crash.jpg" << "0: ExifTool: exiftool stopped unexpectedly (it crashed or was killed)" << false;
        QTest::newRow("hung") << "hang.jpg" << "0: ExifTool process timed out" << false;
    }

    void endings()
    {
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        QFETCH(bool, workerSurvives);
        QTemporaryDir dir;
        writePerlStandIn(dir.path());
        for (const QString &file : {name, u"warm.jpg"_qs})
            Fixtures::writeAll(dir.filePath(file), {});
        StayOpenRunner stayOpen(StayOpenRunner::Options{1, 1000, qint64(512) << 20});
        const RunLimits limits{name == "hang.jpg" ? 1s : 60s, 0ms};
        const ExifToolService persistent(ToolPaths::inFolder(dir.path()), stayOpen, limits);
        QVERIFY(persistent.readMetadata(dir.filePath("warm.jpg")));
        const QList<qint64> worker = ourChildren();
        QCOMPARE(worker.size(), 1);

        const QString got = ::outcome(persistent.readMetadata(dir.filePath(name)));
        QCOMPARE(got, ::outcome(ExifToolService(ToolPaths::inFolder(dir.path()), *m_oneShot, limits)
                                    .readMetadata(dir.filePath(name))));
        QVERIFY2(got.startsWith(outcome), qPrintable(got));
        QCOMPARE(ourChildren().contains(worker[0]), workerSurvives);
        QCOMPARE(stayOpen.counts().persistent, 2);
        QCOMPARE(stayOpen.counts().oneShot, 0);
    }

    // Where the app looks for the tool (the bundled one beside the
    // executable); a missing tool or a folder in its place is "not found",
    // one that cannot start a launch error, both described in words.
    void missingToolOrOneThatCannotStart()
    {
        QCOMPARE(ExifToolService(ToolPaths::installed(), *m_oneShot).exiftoolPath().value(),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/tessaly/exiftool"));
        QTemporaryDir dir;
        Fixtures::writeAll(dir.filePath("a.jpg"), {});
        const ExifToolService service(ToolPaths::inFolder(dir.path()), *m_oneShot);
        QDir(dir.path()).mkdir("exiftool");
        const auto missing = service.readMetadata(dir.filePath("a.jpg"));
        QVERIFY(!missing && isToolError(missing.error(), ExifToolError::Case::binaryNotFound));
        QVERIFY(describe(missing.error()).contains("ExifTool"));
        QDir(dir.path()).rmdir("exiftool");
        writeFakeTool(dir.path(), "echo '[{}]'", /*executable=*/false);
        const auto unstartable = service.readMetadata(dir.filePath("a.jpg"));
        QVERIFY(!unstartable && std::holds_alternative<LaunchError>(unstartable.error()));
        QVERIFY(!describe(unstartable.error()).isEmpty());
    }

    // prepare() starts every worker at once (one only in the sandbox, where
    // each folder has workers of its own), and the runs that follow use them.
    void preparedWorkersServeTheFirstRuns()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        {
            // Gone before its workers are up: it waits for them, then ends them.
            StayOpenRunner hasty(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
            hasty.prepare(tool);
        }
        QVERIFY(ourChildren().isEmpty());

        StayOpenRunner runner(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        runner.prepare(tool).waitForFinished();
        const QList<qint64> started = ourChildren();
        QCOMPARE(started.size(), Sandbox::status().active() ? 1 : 2);
        runner.prepare(tool).waitForFinished(); // already ready: nothing more starts
        QCOMPARE(ourChildren(), started);

        QThreadPool threads;
        QList<QFuture<Expected<QByteArray>>> runs;
        for (int i = 0; i < 4; ++i)
            runs.append(QtConcurrent::run(&threads, [&] { return runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s); }));
        for (auto &run : runs)
            QVERIFY(run.result());
        const QList<qint64> serving = ourChildren();
        QVERIFY(std::all_of(started.begin(), started.end(), [&](qint64 pid) { return serving.contains(pid); }));
        QVERIFY(serving.size() <= 2);
        QCOMPARE(runner.counts().persistent, 4);
    }

    // prepareFor() starts one worker for the runs that read a folder, once;
    // the first such run is served by it, not by a worker of its own.
    void aWorkerPreparedForAFolderServesItsFirstRun()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        Fixtures::writeAll(dir.filePath("a.jpg"), "x");
        const SandboxGrant grant = SandboxGrant::toRead(dir.filePath("a.jpg"));
        StayOpenRunner runner(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        runner.prepareFor(tool, grant).waitForFinished();
        const QList<qint64> started = ourChildren();
        QCOMPARE(started.size(), 1);
        runner.prepareFor(tool, grant).waitForFinished();
        QCOMPARE(ourChildren(), started);
        QVERIFY(runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s, grant));
        QCOMPARE(ourChildren(), started);
        QCOMPARE(runner.counts().persistent, 1);
    }

    // A worker retires after its share of commands; a replaced tool file gets a worker of its own.
    void workersRetireAndFollowTheToolFile()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        StayOpenRunner runner(StayOpenRunner::Options{1, 2, qint64(512) << 20});
        QSet<qint64> seen;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s));
            QVERIFY(ourChildren().size() <= 1);
            for (pid_t pid : ourChildren())
                seen.insert(pid);
        }
        QCOMPARE(seen.size(), 3); // the 2nd and 4th commands retire theirs

        QVERIFY(QFile::remove(tool));
        writePerlStandIn(dir.path(), "2");
        QVERIFY(resultText(runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s)).contains("\"Version\":\"2\""));
    }

    // A quit, or a clean given up (its row removed, Stop), ends the run under
    // way at once, through either runner. A quit refuses new runs; a clean
    // given up ends only its own run: the runner goes on serving the others,
    // a stay-open one with a worker of its own.
    void givingUpEndsAHungRun_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::addColumn<bool>("quit");
        for (bool persistent : {true, false})
            for (bool quit : {true, false})
                QTest::addRow("%s, %s", persistent ? "stay-open worker" : "one process per run", quit ? "quit" : "given up")
                    << persistent << quit;
    }

    void givingUpEndsAHungRun()
    {
        QFETCH(bool, persistent);
        QFETCH(bool, quit);
        QTemporaryDir dir;
        // The tool's own folder is shown read-only over everything in it; the
        // stand-in marks the run as under way in a folder beside its file,
        // where a sandboxed tool may write only when granted.
        QVERIFY(QDir(dir.path()).mkdir("tool") && QDir(dir.path()).mkdir("marks"));
        const QString tool = writePerlStandIn(dir.filePath("tool"));
        const std::unique_ptr<ToolRunner> runner = oneWorkerOrOneShot(persistent);
        const SandboxGrant markBeside = SandboxGrant::toWrite(dir.filePath("hang.jpg"), dir.filePath("marks"));
        std::atomic<bool> cancel = false;
        auto hung = QtConcurrent::run([&] {
            const CancelScope scope(&cancel);
            return runner->run(tool, {"-j", dir.filePath("hang.jpg")}, 60s, markBeside);
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("marks/hang.jpg.started")), 20000); // under way
        const auto givenUp = std::chrono::steady_clock::now();
        if (quit)
            runner->stopAll();
        else
            cancel = true;
        const auto result = hung.result();
        QVERIFY(std::chrono::steady_clock::now() - givenUp < 5s);
        QVERIFY(!result && isCleanError(result.error(), CleanError::Kind::quitting));
        if (quit) {
            QVERIFY(!runner->run(tool, {"-j", dir.filePath("a.jpg")}, 60s));
            return;
        }
        QCOMPARE(resultText(runner->run(tool, {"-j", dir.filePath("a.jpg")}, 60s)), u"[{\"Version\":\"1\"}]\n"_qs);
        // A run given up before it starts is not run at all.
        const CancelScope stillCancelled(&cancel);
        QVERIFY(!runner->run(tool, {"-j", dir.filePath("a.jpg")}, 60s));
    }
};

QTEST_GUILESS_MAIN(tst_ToolRunners)
#include "tst_toolrunners.moc"
