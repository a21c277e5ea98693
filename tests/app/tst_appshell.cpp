#include <CommandLineFiles.h>

#include <Fixtures.h>
#include <LocalName.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_AppShell : public QObject
{
    Q_OBJECT

private slots:
    void commandLineArguments()
    {
        const auto local = [](const QString &path) { return QUrl::fromLocalFile(path); };
        const QList<QUrl> urls = urlsFromArguments({"a.jpg", "/tmp/b.pdf", "file:///tmp/caf%C3%A9%20x.JPG", "-dash.png",
                                                    "../up.mov", "", "https://example.org/x.jpg", "sub/./c.mkv",
                                                    "caf\xe9.jpg", "end .jpg ", "../\xff/d.png"},
                                                   "/home/u/Pictures");
        QCOMPARE(urls.mid(0, 6),
                 (QList<QUrl>{local("/home/u/Pictures/a.jpg"), local("/tmp/b.pdf"), local(u"/tmp/café x.JPG"_qs),
                              local("/home/u/Pictures/-dash.png"), local("/home/u/up.mov"), local("/home/u/Pictures/sub/c.mkv")}));
        // Names that are not UTF-8 and spaces at the end keep their every byte.
        QCOMPARE(urls.size(), 9);
        QCOMPARE(localPathBytes(urls[6]), QByteArray("/home/u/Pictures/caf\xe9.jpg"));
        QCOMPARE(localPathBytes(urls[7]), QByteArray("/home/u/Pictures/end .jpg "));
        QCOMPARE(localPathBytes(urls[8]), QByteArray("/home/u/\xff/d.png"));
    }

    // Files on the command line, as a file manager's "Open With" gives them,
    // are cleaned in the real window; an unsupported one is left alone. A
    // second `tessaly --copy FILE` gives its file to the first, which saves
    // a cleaned copy of it whatever its own choice, and ends at once.
    // Under a private session bus, settings and state, so that nothing of
    // the user's (an open Tessaly, the choice to keep originals) counts.
    void filesFromTheCommandLineAndASecondLaunch()
    {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_qs);
        if (daemon.isEmpty())
            QSKIP("needs dbus-daemon (package dbus)");
        QProcess bus;
        bus.start(daemon, {u"--session"_qs, u"--nofork"_qs, u"--print-address=1"_qs});
        QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        const auto stopBus = qScopeGuard([&bus] { bus.kill(); bus.waitForFinished(); });

        QTemporaryDir dir, home;
        const QStringList first{Fixtures::make(dir.path(), "jpg", u"holiday photo.jpg"_qs),
                                Fixtures::make(dir.path(), "png"), Fixtures::make(dir.path(), "pdf")};
        const QString second = Fixtures::make(dir.path(), "jpg", u"second.jpg"_qs);
        const QByteArray secondBytes = Fixtures::readAll(second);
        Fixtures::writeAll(dir.filePath(u"notes.txt"_qs), Fixtures::author);
        const auto clean = [](const QString &path) { return !Fixtures::marked(path); };
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, address);
        env.insert(u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs));
        env.insert(u"XDG_STATE_HOME"_qs, home.filePath(u"state"_qs));
        if (!env.contains(u"DISPLAY"_qs)) // the real X display the test script starts, else none
            env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        else
            env.remove(u"QT_QPA_PLATFORM"_qs);
        const QString tessaly = QCoreApplication::applicationDirPath() + u"/tessaly"_qs;

        QProcess running;
        running.setProcessEnvironment(env);
        running.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        running.start(tessaly, {first[0], QUrl::fromLocalFile(first[1]).toString(), first[2], dir.filePath(u"notes.txt"_qs)});
        const auto stopRunning = qScopeGuard([&running] {
            running.terminate();
            if (!running.waitForFinished(10000))
                running.kill();
        });
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(first.begin(), first.end(), clean), 60000);
        QCOMPARE(Fixtures::readAll(dir.filePath(u"notes.txt"_qs)), QByteArray(Fixtures::author));
        QCOMPARE(Fixtures::run(u"exiftool"_qs, {u"-s3"_qs, u"-FileType"_qs, first[1]}), QByteArray("PNG\n"));

        QProcess later;
        later.setProcessEnvironment(env);
        later.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        later.setWorkingDirectory(dir.path());
        QElapsedTimer clock;
        clock.start();
        // Relative: resolved by the launch that names it; its --copy holds for its file.
        later.start(tessaly, {u"--copy"_qs, u"second.jpg"_qs});
        QVERIFY(later.waitForFinished(15000));
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        qInfo("the second launch ended after %lld ms", clock.elapsed());
        const QString copy = dir.filePath(u"second (cleaned).jpg"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(copy) && clean(copy), 60000);
        QCOMPARE(Fixtures::readAll(second), secondBytes);
        QCOMPARE(running.state(), QProcess::Running);

        // From a file manager (the desktop entry's --review) the file is
        // handed over too, and listed; nothing touches it without a click.
        const QString reviewed = Fixtures::make(dir.path(), "jpg", u"opened with.jpg"_qs);
        const QByteArray reviewedBytes = Fixtures::readAll(reviewed);
        QProcess fromFileManager;
        fromFileManager.setProcessEnvironment(env);
        fromFileManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fromFileManager.start(tessaly, {u"--review"_qs, reviewed});
        QVERIFY(fromFileManager.waitForFinished(15000));
        QCOMPARE(fromFileManager.exitCode(), 0);
        QTest::qWait(3000); // longer than the copy above took to be cleaned
        QCOMPARE(Fixtures::readAll(reviewed), reviewedBytes);
        QCOMPARE(running.state(), QProcess::Running);
    }
};

QTEST_MAIN(tst_AppShell)
#include "tst_appshell.moc"
