#include <ControlledRunner.h>

#include <AdditionChoices.h>
#include <StayOpenRunner.h>
#include <TessalyViewModel.h>
#include <Translations.h>

#include <FakeTool.h>
#include <Fixtures.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace std::chrono_literals;

// Stopping, removing, retrying: what the person at the desk does while files
// are being cleaned, checked against the files on disk.
class tst_CleaningControl : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QThreadPool m_pool;
    QByteArray m_picture; // one photo with metadata, copied for every file
    std::unique_ptr<ControlledRunner> m_runner;
    std::unique_ptr<FileCleaner> m_cleaner;
    std::unique_ptr<QTemporaryDir> m_files;

    QUrl file(const QString &name)
    {
        Fixtures::writeAll(m_files->filePath(name), m_picture);
        return QUrl::fromLocalFile(m_files->filePath(name));
    }
    bool untouched(const QString &name) const { return Fixtures::readAll(m_files->filePath(name)) == m_picture; }
    // Nothing staged is left beside the files.
    QStringList leftovers() const
    {
        return QDir(m_files->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            .filter(QStringLiteral(".tessaly-staging"));
    }
    // Waits for the model to hear back from every job it queued.
    static bool settled(TessalyViewModel &model)
    {
        if (model.canStop())
            QSignalSpy(&model, &TessalyViewModel::canStopChanged).wait(10000);
        return !model.canStop();
    }
    // Opens every gate before the model goes: it waits for its jobs.
    struct Releasing
    {
        ControlledRunner &runner;
        ~Releasing() { runner.releaseAll(); }
    };
    QUuid idOf(const TessalyViewModel &model, const QString &name) const
    {
        for (const FileItem &file : model.files())
            if (file.fileName == name)
                return file.id;
        return {};
    }

private slots:
    void initTestCase()
    {
        installTranslations(QLocale(QLocale::English));
        writeFakeTool(m_dir.filePath("tool"), "exit 99"); // never run, but it must be found
        m_picture = Fixtures::readAll(Fixtures::make(m_dir.path(), "jpg", "photo"));
    }

    void init()
    {
        m_pool.setMaxThreadCount(2);
        m_runner = std::make_unique<ControlledRunner>();
        m_cleaner = std::make_unique<FileCleaner>(ToolPaths::inFolder(m_dir.filePath("tool")), *m_runner);
        m_files = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        m_runner->releaseAll();
        m_pool.waitForDone();
    }

    // A stop spares every file not yet started at once, however many wait;
    // the two being read when it came end as they were.
    void stopSparesWaitingFiles()
    {
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        Releasing releasing{*m_runner};
        m_runner->holdAll();
        QList<QUrl> urls;
        for (int n = 0; n < 1000; ++n)
            urls << file(QString::number(n) + ".jpg");
        model.addFiles(urls);
        QTRY_COMPARE(m_runner->runCount(), 2);
        QTRY_COMPARE(model.files()[0].status, FileStatus::processing);
        QCOMPARE(model.files()[999].status, FileStatus::pending);
        QVERIFY(model.canStop());

        QElapsedTimer clock;
        clock.start();
        model.stop();
        QVERIFY(clock.elapsed() < 1000);
        // Only the jobs already handed to the pool are still to report.
        QVERIFY(model.stoppedCount() >= 1000 - 2 * m_pool.maxThreadCount());
        QCOMPARE(model.files()[999].status, FileStatus::stopped);

        m_runner->releaseAll();
        QVERIFY(settled(model));
        QCOMPARE(model.stoppedCount(), 1000);
        QCOMPARE(model.unfinishedCount(), 0);
        QCOMPARE(model.progress(), 1.0);
        QCOMPARE(m_runner->runCount(), 2);
        for (int n = 0; n < 1000; ++n)
            QVERIFY2(untouched(QString::number(n) + ".jpg"), qPrintable(QString::number(n)));
        QVERIFY(leftovers().isEmpty());
        QTRY_VERIFY(!model.isProcessing());
    }

    // One worker, so that "b" waits in the pool and "d" in the queue when
    // they are removed; "a" is removed while it is read, or once its cleaned
    // version is staged and being checked. None of them is changed, and
    // the rest of the run goes on.
    void removedFilesAreNotChanged_data()
    {
        QTest::addColumn<QString>("gate");
        QTest::newRow("while read") << "a.jpg";
        QTest::newRow("while its cleaned version is checked") << "check:a.jpg";
    }
    void removedFilesAreNotChanged()
    {
        QFETCH(QString, gate);
        m_pool.setMaxThreadCount(1);
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        QAbstractItemModelTester tester(model.fileList(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        Releasing releasing{*m_runner};
        m_runner->hold(gate);
        model.addFiles({file("a.jpg"), file("b.jpg"), file("c.jpg"), file("d.jpg")});
        QTRY_VERIFY(model.isProcessing()); // the run starts from the event loop
        QVERIFY(m_runner->waitUntilHeld(gate));

        model.removeFile(idOf(model, "d.jpg"));
        model.removeFile(idOf(model, "b.jpg"));
        model.removeFile(idOf(model, "a.jpg"));
        QCOMPARE(model.totalCount(), 1);
        m_runner->release(gate);
        QVERIFY(settled(model));

        QCOMPARE(model.doneCount(), 1);
        QVERIFY(!untouched("c.jpg"));
        for (const char *name : {"a.jpg", "b.jpg", "d.jpg"})
            QVERIFY2(untouched(name), name);
        QVERIFY(leftovers().isEmpty());
    }

    // A file that failed is cleaned once the fault is fixed, from its row or
    // by being added again; one that was cleaned is not cleaned twice.
    void retryAfterAFailure_data()
    {
        QTest::addColumn<bool>("byAddingAgain");
        QTest::newRow("from its row") << false;
        QTest::newRow("added again") << true;
    }
    void retryAfterAFailure()
    {
        QFETCH(bool, byAddingAgain);
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        const QUrl broken = file("broken.jpg"), good = file("good.jpg");
        Fixtures::writeAll(broken.toLocalFile(), m_picture.chopped(40));
        model.addFiles({broken, good});
        QTRY_COMPARE(model.doneCount() + model.errorCount(), 2);
        QCOMPARE(model.errorCount(), 1);
        const int runs = m_runner->runCount();

        Fixtures::writeAll(broken.toLocalFile(), m_picture);
        if (byAddingAgain)
            model.addFiles({broken, good});
        else
            model.retryFile(idOf(model, "broken.jpg"));
        QCOMPARE(model.files()[0].status, FileStatus::pending);
        QTRY_COMPARE(model.doneCount(), 2);
        QCOMPARE(model.errorCount(), 0);
        QCOMPARE(model.totalCount(), 2);
        QVERIFY(!model.files()[0].failure);
        QVERIFY(!untouched("broken.jpg"));
        QCOMPARE(m_runner->runCount(), runs + 2); // the retried file's read and check only
    }

    // The counters and the progress follow a removal of each kind of row.
    void countersFollowRemoval_data()
    {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("failed");
        QTest::addColumn<double>("progress");
        QTest::newRow("a cleaned row") << "good.jpg" << qint64(0) << qint64(1) << 0.5;
        QTest::newRow("a failed row") << "broken.jpg" << qint64(1) << qint64(0) << 0.5;
        QTest::newRow("a row being cleaned") << "held.jpg" << qint64(1) << qint64(1) << 1.0;
    }
    void countersFollowRemoval()
    {
        QFETCH(QString, removed);
        QFETCH(qint64, done);
        QFETCH(qint64, failed);
        QFETCH(double, progress);
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        const QUrl broken = file("broken.jpg");
        Fixtures::writeAll(broken.toLocalFile(), m_picture.chopped(40));
        Releasing releasing{*m_runner};
        m_runner->hold("held.jpg");
        model.addFiles({file("good.jpg"), broken, file("held.jpg")});
        QTRY_COMPARE(model.doneCount() + model.errorCount(), 2);

        model.removeFile(idOf(model, removed));
        QCOMPARE(model.totalCount(), 2);
        QCOMPARE(model.doneCount(), done);
        QCOMPARE(model.errorCount(), failed);
        QCOMPARE(model.progress(), progress);
        QCOMPARE(model.unfinishedCount(), removed == "held.jpg" ? 0 : 1);
    }

    // A run ends by saying what it came to; the filter lists the files it
    // did not clean, failed or stopped, and lets go of one tried again.
    void runEndsWithWhatItLeft()
    {
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        Releasing releasing{*m_runner};
        QSignalSpy ended(&model, &TessalyViewModel::runEnded);
        const QUrl broken = file("broken.jpg");
        Fixtures::writeAll(broken.toLocalFile(), m_picture.chopped(40));
        m_runner->hold("held.jpg");
        model.addFiles({file("good.jpg"), broken, file("held.jpg")});
        QTRY_COMPARE(model.doneCount() + model.errorCount(), 2);
        model.stop();
        m_runner->releaseAll();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toLongLong(), 1);
        QCOMPARE(ended[0][1].toLongLong(), 2);

        NotCleanedFilter *filter = model.notCleanedFiles();
        const auto sourceRow = [filter](int row) { return filter->mapToSource(filter->index(row, 0)).row(); };
        QCOMPARE(filter->rowCount(), 2);
        QCOMPARE((QList<int>{sourceRow(0), sourceRow(1), sourceRow(2)}), (QList<int>{1, 2, -1}));
        Fixtures::writeAll(broken.toLocalFile(), m_picture);
        model.retryFile(model.files().at(1).id);
        QCOMPARE(filter->rowCount(), 1);
        QCOMPARE(sourceRow(0), 2);
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended[1][0].toLongLong(), 1);
        QCOMPARE(ended[1][1].toLongLong(), 0);
    }

    // Files listed for review are read by nobody until the click, whatever
    // is added meanwhile; then they are cleaned like any other.
    void reviewedFilesWaitForTheClick_data()
    {
        QTest::addColumn<bool>("bySetting");
        QTest::newRow("from a file manager") << false;
        QTest::newRow("every addition, by the settings") << true;
    }
    void reviewedFilesWaitForTheClick()
    {
        QFETCH(bool, bySetting);
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        model.setReviewEveryAddition(bySetting);
        model.addFiles({file("a.jpg"), file("b.jpg")}, AdditionChoices{std::nullopt, !bySetting});
        QCOMPARE(model.readyCount(), 2);
        if (!bySetting) {
            model.addFiles({file("typed.jpg")}); // from a terminal: cleaned at once
            QTRY_COMPARE(model.doneCount(), 1);
        }
        // A file cleaned on its own after them: once it is done and every
        // job is back, its two runs (read and check) are the only others.
        model.fileList()->append({FileItem::fromUrl(file("alone.jpg"))});
        model.cleanSingleFile(model.files().last().id);
        QTRY_COMPARE(model.files().last().status, FileStatus::done);
        m_pool.waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(model.readyCount(), 2);
        QVERIFY(untouched("a.jpg") && untouched("b.jpg"));
        QCOMPARE(m_runner->runCount(), bySetting ? 2 : 4);

        model.cleanReady();
        QCOMPARE(model.readyCount(), 0);
        QTRY_COMPARE(model.doneCount(), bySetting ? 3 : 4);
        QVERIFY(!untouched("a.jpg") && !untouched("b.jpg"));
    }

    // Removing a row, or Stop, ends the tool run under way for its file,
    // also in an exiftool kept open: the job is back long before the run's
    // own minute, the worker is gone and the file is as it was.
    void givingUpEndsTheToolRun_data()
    {
        QTest::addColumn<bool>("byStop");
        QTest::newRow("row removed") << false;
        QTest::newRow("stop") << true;
    }
    void givingUpEndsTheToolRun()
    {
        QFETCH(bool, byStop);
        QTemporaryDir tool;
        writeStayOpenStandIn(tool.path());
        StayOpenRunner runner(StayOpenRunner::Options{1, 1000, qint64(512) << 20});
        const FileCleaner cleaner(ToolPaths::inFolder(tool.path()), runner, RunLimits{60s, 0ms});
        QThreadPool pool;
        TessalyViewModel model(cleaner, pool, ModelOptions{50ms});
        model.addFiles({file("hang.jpg")});
        QTRY_COMPARE(model.files().value(0).status, FileStatus::processing);
        QTRY_COMPARE(Fixtures::liveChildren("-stay_open").size(), 1);
        const auto givenUp = std::chrono::steady_clock::now();
        if (byStop)
            model.stop();
        else
            model.removeFile(model.files().at(0).id);
        QVERIFY(pool.waitForDone(10000));
        QVERIFY(std::chrono::steady_clock::now() - givenUp < 10s);
        QVERIFY(untouched("hang.jpg"));
        QVERIFY(leftovers().isEmpty());
    }

    // A file removed and added again is a new row, cleaned again.
    void removedFileCanBeAddedAgain()
    {
        TessalyViewModel model(*m_cleaner, m_pool, ModelOptions{50ms});
        const QUrl url = file("a.jpg");
        model.addFiles({url});
        QTRY_COMPARE(model.doneCount(), 1);
        const int runs = m_runner->runCount();
        model.removeFile(model.files().at(0).id);
        QCOMPARE(model.totalCount(), 0);

        Fixtures::writeAll(url.toLocalFile(), m_picture); // the photo comes back with its metadata
        model.addFiles({url});
        QCOMPARE(model.totalCount(), 1);
        QTRY_COMPARE(model.doneCount(), 1);
        QVERIFY(m_runner->runCount() > runs);
        QVERIFY(!untouched("a.jpg"));
    }
};

QTEST_GUILESS_MAIN(tst_CleaningControl)
#include "tst_cleaningcontrol.moc"
