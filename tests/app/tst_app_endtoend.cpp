#include <Fixtures.h>

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

private slots:
    void filesOnTheCommandLineAreCleaned()
    {
        QTemporaryDir dir;
        const QStringList cleaned{Fixtures::make(dir.path(), "jpg", QStringLiteral("holiday photo.jpg")),
                                  Fixtures::make(dir.path(), "png"), Fixtures::make(dir.path(), "pdf")};
        const QString notes = dir.filePath("notes.txt");
        Fixtures::writeAll(notes, Fixtures::author);
        const auto marked = [&] {
            QStringList found;
            for (const QString &path : cleaned)
                if (Fixtures::marked(path))
                    found << QFileInfo(path).fileName();
            return found;
        };
        QCOMPARE(marked().size(), 3);

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // A real X display when there is one (the test script starts Xvfb).
        if (env.contains("DISPLAY"))
            env.remove("QT_QPA_PLATFORM");
        else
            env.insert("QT_QPA_PLATFORM", "offscreen");
        // The user's own settings (a copy instead of a clean in place, say) are not the test's.
        QTemporaryDir home;
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_STATE_HOME", home.filePath("state"));
        env.remove("DBUS_SESSION_BUS_ADDRESS"); // nor a Tessaly the user has open, to hand the files to
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(dir.path());
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A relative path, an absolute one, a file URL and an unsupported file.
        app.start(QCoreApplication::applicationDirPath() + "/tessaly",
                  {"holiday photo.jpg", cleaned[1], QUrl::fromLocalFile(cleaned[2]).toString(), "notes.txt"});
        QVERIFY(app.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (!marked().isEmpty() && clock.elapsed() < 60000 && app.state() == QProcess::Running)
            QTest::qWait(200);
        const bool running = app.state() == QProcess::Running;
        app.terminate();
        if (!app.waitForFinished(10000))
            app.kill();
        QVERIFY2(running, "the app quit on its own");

        QCOMPARE(marked(), QStringList());
        QCOMPARE(Fixtures::readAll(notes), QByteArray(Fixtures::author)); // not ours to touch
        // The pictures are still pictures.
        QVERIFY(Fixtures::run("exiftool", {"-s3", "-FileType", cleaned[0]}).startsWith("JPEG"));
        QVERIFY(Fixtures::run("exiftool", {"-s3", "-FileType", cleaned[1]}).startsWith("PNG"));
    }
};

QTEST_GUILESS_MAIN(tst_AppEndToEnd)
#include "tst_app_endtoend.moc"
