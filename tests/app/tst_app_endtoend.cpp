#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Starts the real tessaly binary with files on its command line, the way a
// file manager's "Open With" does, and waits for them to be clean on disk.
class tst_AppEndToEnd : public QObject
{
    Q_OBJECT

    static bool stillCarriesMarker(const QString &path)
    {
        return TestFiles::readAll(path).contains("Jane Marker");
    }

private slots:
    void filesOnTheCommandLineAreCleaned()
    {
        QTemporaryDir dir;
        const QString jpeg = TestFiles::makeJpegWithMetadata(dir.path(), QStringLiteral("holiday photo.jpg"));
        const QString png = TestFiles::makePngWithMetadata(dir.path());
        const QString pdf = TestFiles::makePdfWithMetadata(dir.path());
        QFile notes(dir.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("Jane Marker");
        notes.close();
        QVERIFY(stillCarriesMarker(jpeg) && stillCarriesMarker(png) && stillCarriesMarker(pdf));

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // A real X display when there is one (the test script starts Xvfb).
        if (env.contains("DISPLAY"))
            env.remove("QT_QPA_PLATFORM");
        else
            env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(dir.path());
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A relative path, an absolute one, a file URL and an unsupported file.
        app.start(QCoreApplication::applicationDirPath() + "/tessaly",
                  {QStringLiteral("holiday photo.jpg"), png, QUrl::fromLocalFile(pdf).toString(), QStringLiteral("notes.txt")});
        QVERIFY(app.waitForStarted());

        QElapsedTimer clock;
        clock.start();
        while ((stillCarriesMarker(jpeg) || stillCarriesMarker(png) || stillCarriesMarker(pdf))
               && clock.elapsed() < 60000 && app.state() == QProcess::Running)
            QTest::qWait(200);

        const bool running = app.state() == QProcess::Running;
        app.terminate();
        if (!app.waitForFinished(10000))
            app.kill();
        QVERIFY2(running, "the app quit on its own");

        QVERIFY(!stillCarriesMarker(jpeg));
        QVERIFY(!stillCarriesMarker(png));
        QVERIFY(!stillCarriesMarker(pdf));
        QCOMPARE(TestFiles::readAll(notes.fileName()), QByteArray("Jane Marker")); // not ours to touch

        // The pictures are still pictures.
        QVERIFY(TestFiles::runExifTool({"-s3", "-FileType", jpeg}).startsWith("JPEG"));
        QVERIFY(TestFiles::runExifTool({"-s3", "-FileType", png}).startsWith("PNG"));
    }
};

QTEST_GUILESS_MAIN(tst_AppEndToEnd)
#include "tst_app_endtoend.moc"
