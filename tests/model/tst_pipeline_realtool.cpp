#include <TessalyViewModel.h>
#include <Translations.h>

#include <TestFiles.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The whole pipeline with the bundled exiftool on real files, no window.
class tst_PipelineRealTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void batchIsCleanedEndToEnd()
    {
        QTemporaryDir dir;
        const QString jpeg = TestFiles::makeJpegWithMetadata(dir.path());
        const QString png = TestFiles::makePngWithMetadata(dir.path());
        const QString pdf = TestFiles::makePdfWithMetadata(dir.path());

        TessalyViewModel model{ModelOptions{}};
        QElapsedTimer sinceLastResult;
        auto noteResult = [&] { sinceLastResult.start(); };
        connect(&model, &TessalyViewModel::doneCountChanged, this, noteResult);
        connect(&model, &TessalyViewModel::errorCountChanged, this, noteResult);
        QSignalSpy processing(&model, &TessalyViewModel::isProcessingChanged);

        model.addFiles({QUrl::fromLocalFile(jpeg), QUrl::fromLocalFile(png), QUrl::fromLocalFile(pdf)});
        QCOMPARE(model.totalCount(), 3);
        QCOMPARE(model.pendingCount(), 3);
        QVERIFY(!model.isProcessing());

        QTRY_VERIFY(model.isProcessing());
        QCOMPARE(model.pendingCount(), 0);
        QCOMPARE(model.doneCount() + model.errorCount(), 0);
        for (const FileItem &item : model.files())
            QCOMPARE(item.status, FileStatus::processing);

        QTRY_VERIFY_WITH_TIMEOUT(model.doneCount() + model.errorCount() == 3, 60000);
        QVERIFY(model.isProcessing()); // the tail still runs
        QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing(), 5000);
        QVERIFY2(sinceLastResult.elapsed() >= 750, "the run flag outlives the last result by 0.8 s");
        QCOMPARE(processing.size(), 2);

        QCOMPARE(model.errorCount(), 0);
        QCOMPARE(model.doneCount(), 3);
        QCOMPARE(model.progress(), 1.0);

        const FileItem &photo = model.files()[0];
        QCOMPARE(photo.metadataBefore.value("Artist"), "Jane Marker");
        QVERIFY(photo.metadataBefore.contains("GPSLatitude"));
        QVERIFY(!photo.metadataAfter.contains("Artist"));
        QVERIFY(!photo.metadataAfter.contains("GPSLatitude"));
        QVERIFY(photo.metadataAfter.contains("ImageWidth")); // still a picture

        QCOMPARE(model.files()[1].metadataBefore.value("Author"), "Jane Marker");
        QVERIFY(!model.files()[1].metadataAfter.contains("Author"));

        QCOMPARE(model.files()[2].metadataBefore.value("Author"), "Jane Marker");
        QVERIFY(!model.files()[2].metadataAfter.contains("Author"));

        for (const QString &path : {jpeg, png})
            QVERIFY2(!TestFiles::readAll(path).contains("Jane Marker"), qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(tst_PipelineRealTool)
#include "tst_pipeline_realtool.moc"
