#include <ControlledRunner.h>

#include <TessalyViewModel.h>
#include <Translations.h>

#include <FakeTool.h>
#include <Fixtures.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace std::chrono_literals;

namespace {

// Every notification of the model.
struct Notifications
{
    explicit Notifications(TessalyViewModel &m)
        : files(&m, &TessalyViewModel::filesChanged), processing(&m, &TessalyViewModel::isProcessingChanged),
          total(&m, &TessalyViewModel::totalCountChanged), done(&m, &TessalyViewModel::doneCountChanged),
          error(&m, &TessalyViewModel::errorCountChanged), pending(&m, &TessalyViewModel::pendingCountChanged),
          progress(&m, &TessalyViewModel::progressChanged) { }
    // Of the list and the counters; a run starting or ending is apart.
    int heard() const { return int(files.size() + total.size() + done.size() + error.size() + pending.size() + progress.size()); }
    QSignalSpy files, processing, total, done, error, pending, progress;
};

QStringList statuses(const TessalyViewModel &model)
{
    static const QStringList names{"pending", "processing", "done", "error", "stopped"};
    QStringList result;
    for (const FileItem &item : model.files())
        result << names[int(item.status)];
    return result;
}

} // namespace

class tst_TessalyViewModel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QThreadPool m_pool;
    std::unique_ptr<ControlledRunner> m_runner;
    std::unique_ptr<FileCleaner> m_cleaner;

    QUrl file(const QString &name) // a picture on disk, or an empty file of another kind
    {
        const QString path = m_dir.filePath(name), extension = QFileInfo(name).suffix().toLower();
        if (extension == "jpg" || extension == "png")
            Fixtures::writeImage(path, extension == "png" ? "PNG" : "JPEG");
        else
            QFile(path).open(QIODevice::WriteOnly);
        return QUrl::fromLocalFile(path);
    }

    ModelOptions options(std::chrono::milliseconds tail = 50ms) { return ModelOptions{tail}; }

private slots:
    void initTestCase()
    {
        installTranslations(QLocale(QLocale::English));
        writeFakeTool(m_dir.filePath("tool"), "exit 99"); // never run, but it must be found
        m_pool.setMaxThreadCount(4);
    }

    void init()
    {
        m_runner = std::make_unique<ControlledRunner>();
        m_cleaner = std::make_unique<FileCleaner>(ToolPaths::inFolder(m_dir.filePath("tool")), *m_runner);
    }
    void cleanup() { m_pool.waitForDone(); }

    void addFilesFiltersAndDeduplicates()
    {
        TessalyViewModel model(*m_cleaner, m_pool, options());
        QAbstractItemModelTester tester(model.fileList(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_runner->hold("a.JPG"); // keep the run going so statuses can be seen

        const QUrl upper = file("a.JPG");
        model.addFiles({upper, file("notes.txt"), file("README"), QUrl::fromLocalFile(m_dir.path()),
                        file("b.png"), upper});
        QCOMPARE(model.files().size(), 2);
        QCOMPARE((QStringList{model.files()[0].fileName, model.files()[0].fileExtension, model.files()[1].fileName}),
                 (QStringList{"a.JPG", "jpg", "b.png"}));
        QCOMPARE(statuses(model), QStringList({"pending", "pending"})); // the run starts later
        QCOMPARE(model.pendingCount(), 2);

        // Already listed URLs add nothing, whatever the item's state.
        QTRY_COMPARE(statuses(model), QStringList({"processing", "done"}));
        model.addFiles({upper, model.files()[1].url});
        QCOMPARE(model.files().size(), 2);

        m_runner->release("a.JPG");
        QTRY_VERIFY(!model.isProcessing());
        QCOMPARE(statuses(model), QStringList({"done", "done"}));
    }

    void countersAndProgressDuringARun()
    {
        TessalyViewModel model(*m_cleaner, m_pool, options());
        for (const char *name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"})
            m_runner->hold(name);
        model.addFiles({file("1.jpg"), file("2.jpg"), file("3.jpg"), file("4.jpg")});
        QCOMPARE(model.pendingCount(), 4);
        QCOMPARE(model.progress(), 0.0);

        QTRY_VERIFY(model.isProcessing());
        QTRY_COMPARE(model.pendingCount(), 0); // pending until a worker takes it up
        QCOMPARE(model.totalCount(), 4);

        // The second file finishes first: applied first, list order kept.
        m_runner->release("2.jpg");
        QTRY_COMPARE(model.doneCount(), 1);
        QCOMPARE(statuses(model), QStringList({"processing", "done", "processing", "processing"}));
        QCOMPARE(model.progress(), 0.25);
        QCOMPARE(model.files()[1].metadataBefore(), (MetadataTable{{"FileName", "kept"}, {"Artist", "Jane"}, {"GPSLatitude", "48.85"}}));
        QCOMPARE(model.files()[1].metadataAfter(), (MetadataTable{{"FileName", "kept"}}));

        // A picture that breaks off halfway cannot be written again safely.
        Fixtures::writeAll(m_dir.filePath("3.jpg"), Fixtures::readAll(m_dir.filePath("3.jpg")).chopped(40));
        for (const char *name : {"1.jpg", "3.jpg", "4.jpg"})
            m_runner->release(name);
        QTRY_COMPARE(model.doneCount() + model.errorCount(), 4);
        QCOMPARE(model.errorCount(), 1);
        QCOMPARE(model.progress(), 1.0);
        QTRY_VERIFY(!model.isProcessing());

        // A strip that fails after a good read leaves no tables behind.
        const FileItem &failed = model.files()[2];
        QCOMPARE(failed.status, FileStatus::error);
        QVERIFY(failed.failure && isCleanError(*failed.failure, CleanError::Kind::damagedFile));
        QVERIFY(failed.packedBefore.isEmpty() && failed.packedAfter.isEmpty());

        // Two more files move progress from 1.0 to 0.5 until they are done.
        model.addFiles({file("5.jpg"), file("6.jpg")});
        QCOMPARE(model.progress(), 4.0 / 6.0);
        QTRY_COMPARE(model.doneCount(), 5);
        QTRY_VERIFY(!model.isProcessing());
    }

    // Files dropped while a run is under way, even in its tail, are cleaned
    // with it: left pending, nothing would ever clean them.
    void filesAddedDuringARunJoinIt()
    {
        TessalyViewModel model(*m_cleaner, m_pool, options(300ms));
        QSignalSpy processing(&model, &TessalyViewModel::isProcessingChanged);
        m_runner->hold("first.jpg");
        model.addFiles({file("first.jpg")});
        QTRY_VERIFY(model.isProcessing());
        QTRY_COMPARE(model.files()[0].status, FileStatus::processing);

        model.addFiles({file("second.jpg")});
        QCOMPARE(statuses(model), QStringList({"processing", "pending"}));
        QTRY_COMPARE(statuses(model), QStringList({"processing", "done"}));
        QVERIFY(model.isProcessing());

        m_runner->release("first.jpg");
        QTRY_COMPARE(model.doneCount(), 2);
        QVERIFY(model.isProcessing()); // in the tail now
        model.addFiles({file("third.jpg")});
        QTRY_COMPARE(model.doneCount(), 3);
        QTRY_VERIFY(!model.isProcessing());
        QCOMPARE(processing.size(), 2); // one run: up once, down once
        QCOMPARE(model.pendingCount(), 0);
    }

    // Only a pending row is cleaned on its own, and no run shows for it.
    void cleanSingleFile()
    {
        TessalyViewModel model(*m_cleaner, m_pool, options());
        model.addFiles({file("a.jpg")});
        QTRY_COMPARE(model.files()[0].status, FileStatus::done);
        QTRY_VERIFY(!model.isProcessing());

        Notifications spies(model);
        const int runs = m_runner->runCount();
        model.cleanSingleFile(model.files()[0].id);
        model.cleanSingleFile(QUuid::createUuid());
        QCOMPARE(spies.heard(), 0);

        // Cleaned after them: once it is done and every job is back, its
        // runs are the only ones made since.
        model.fileList()->append({FileItem::fromUrl(file("alone.jpg"))});
        model.cleanSingleFile(model.files()[1].id);
        QTRY_COMPARE(model.files()[1].status, FileStatus::done);
        m_pool.waitForDone();
        QCOMPARE(m_runner->runCount(), 2 * runs);
        QCOMPARE(spies.processing.size(), 0);
    }

    // A row removed, or a list cleared, while its file is being cleaned: the
    // job is given up (the file stays as it was), its end changes nothing
    // in the list, and the run lasts until the last job is back.
    void resultsOfRemovedRowsAreDropped()
    {
        TessalyViewModel model(*m_cleaner, m_pool, options());
        QAbstractItemModelTester tester(model.fileList(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_runner->hold("gone.jpg");
        model.addFiles({file("gone.jpg"), file("done.jpg")});
        QTRY_VERIFY(model.isProcessing()); // the run starts from the event loop
        QVERIFY(m_runner->waitUntilHeld("gone.jpg"));
        QTRY_COMPARE(model.doneCount(), 1);
        const QByteArray goneBytes = Fixtures::readAll(m_dir.filePath("gone.jpg"));

        model.removeFile(model.files()[0].id);
        QCOMPARE(model.totalCount(), 1);
        Notifications removed(model);
        QSignalSpy settled(&model, &TessalyViewModel::canStopChanged);
        m_runner->release("gone.jpg");
        QVERIFY(settled.wait(10000)); // the given-up job is back
        QCOMPARE(removed.heard(), 0);
        QCOMPARE(m_runner->runCount(), 2 + 1); // done.jpg's read and check, gone.jpg's read
        QCOMPARE(Fixtures::readAll(m_dir.filePath("gone.jpg")), goneBytes);
        QVERIFY(model.isProcessing());

        m_runner->hold("cleared.jpg");
        model.addFiles({file("cleared.jpg")});
        QTRY_COMPARE(model.files()[1].status, FileStatus::processing);
        model.clearList();
        QCOMPARE(model.totalCount(), 0);
        QCOMPARE(model.doneCount(), 0);
        QCOMPARE(model.progress(), 0.0);
        QVERIFY(model.isProcessing());
        Notifications cleared(model);
        m_runner->release("cleared.jpg");
        QTRY_VERIFY(!model.isProcessing());
        QCOMPARE(cleared.heard(), 0);
    }

    void missingToolFailsEveryItemAlike()
    {
        const FileCleaner toolless(ToolPaths::inFolder(m_dir.filePath("nothing-here")), *m_runner);
        TessalyViewModel model(toolless, m_pool, options());
        model.addFiles({file("a.jpg"), file("b.png")});
        QTRY_COMPARE(model.errorCount(), 2);
        QCOMPARE(model.progress(), 1.0);
        for (const FileItem &item : model.files()) {
            QCOMPARE(item.errorMessage(), std::optional<QString>(qtTrId("exiftool_not_found")));
            QVERIFY(item.packedBefore.isEmpty() && item.packedAfter.isEmpty());
        }
        QCOMPARE(m_runner->runCount(), 0);
        QTRY_VERIFY(!model.isProcessing());
    }
};

QTEST_GUILESS_MAIN(tst_TessalyViewModel)
#include "tst_tessalyviewmodel.moc"
