#include <CommandLineFiles.h>
#include <LaunchOptions.h>
#include <LocalName.h>

#include <Fixtures.h>

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
        QCOMPARE(urlsFromArguments({"a.jpg", "/tmp/b.pdf", "file:///tmp/caf%C3%A9%20x.JPG", "-dash.png", "../up.mov", "",
                                    "https://example.org/x.jpg", "sub/./c.mkv", "//tmp//d.jpg"},
                                   "/home/u/Pictures"),
                 (QList<QUrl>{local("/home/u/Pictures/a.jpg"), local("/tmp/b.pdf"), local(u"/tmp/café x.JPG"_qs),
                              local("/home/u/Pictures/-dash.png"), local("/home/u/up.mov"), local("/home/u/Pictures/sub/c.mkv"),
                              local("/tmp/d.jpg")}));
        // A name that is not UTF-8, and a folder that is not either, keep their bytes.
        const QList<QUrl> latin1 = urlsFromArguments({"caf\xe9.jpg"}, "/home/\xff");
        QCOMPARE(latin1.size(), 1);
        QCOMPARE(localPathBytes(latin1.first()), QByteArray("/home/\xff/caf\xe9.jpg"));
        // A space at the end is part of the name.
        QCOMPARE(localPathBytes(urlsFromArguments({"end .jpg "}, "/t").value(0)), QByteArray("/t/end .jpg "));
    }

    void launchOptions_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<std::optional<bool>>("keepOriginal");
        QTest::addColumn<bool>("review");
        QTest::addColumn<bool>("help");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QList<QByteArray>>("files");
        using L = QList<QByteArray>;
        const std::optional<bool> settings;
        QTest::newRow("files only") << L{"a.jpg", "b.pdf"} << settings << false << false << "" << L{"a.jpg", "b.pdf"};
        QTest::newRow("copy") << L{"--copy", "a.jpg"} << std::optional(true) << false << false << "" << L{"a.jpg"};
        QTest::newRow("options after files") << L{"a.jpg", "--in-place", "b.jpg", "--review"} << std::optional(false)
                                             << true << false << "" << L{"a.jpg", "b.jpg"};
        QTest::newRow("the last of copy and in-place") << L{"--copy", "--in-place"} << std::optional(false) << false
                                                       << false << "" << L{};
        QTest::newRow("in-place then copy") << L{"--in-place", "--copy"} << std::optional(true) << false << false << ""
                                            << L{};
        QTest::newRow("after -- all files") << L{"--copy", "--", "--review", "-x.jpg", "--"} << std::optional(true)
                                            << false << false << "" << L{"--review", "-x.jpg", "--"};
        QTest::newRow("dot slash dash") << L{"./-x.jpg"} << settings << false << false << "" << L{"./-x.jpg"};
        QTest::newRow("a lone dash is a name") << L{"-"} << settings << false << false << "" << L{"-"};
        QTest::newRow("dash name refused") << L{"a.jpg", "-x.jpg"} << settings << false << false << "-x.jpg"
                                           << L{};
        QTest::newRow("unknown long option") << L{"--copy", "--bogus", "--other", "a.jpg"} << settings << false
                                             << false << "--bogus" << L{};
        QTest::newRow("a value for a flag") << L{"--copy=yes"} << settings << false << false << "--copy=yes" << L{};
        QTest::newRow("help") << L{"-h"} << settings << false << true << "" << L{};
        QTest::newRow("help despite a mistake") << L{"--bogus", "--help"} << settings << false << true << "--bogus"
                                                << L{};
        QTest::newRow("bytes kept") << L{"--review", "caf\xe9.jpg"} << settings << true << false << ""
                                    << L{"caf\xe9.jpg"};
    }

    void launchOptions()
    {
        QFETCH(QList<QByteArray>, arguments);
        const LaunchOptions options = LaunchOptions::parse(arguments);
        QTEST(options.keepOriginal, "keepOriginal");
        QTEST(options.review, "review");
        QTEST(options.showHelp, "help");
        QTEST(options.refusedOption, "refused");
        QTEST(options.files, "files");
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
        running.start(tessaly, {first[0], QUrl::fromLocalFile(first[1]).toString(), first[2], dir.filePath(u"notes.txt"_qs)});
        const auto stopRunning = qScopeGuard([&running] {
            running.terminate();
            if (!running.waitForFinished(10000))
                running.kill();
        });
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(first.begin(), first.end(), clean), 60000);
        QCOMPARE(Fixtures::readAll(dir.filePath(u"notes.txt"_qs)), QByteArray(Fixtures::author));
        QCOMPARE(Fixtures::run(u"exiftool"_qs, {u"-s3"_qs, u"-FileType"_qs, first[1]}), QByteArray("PNG\n"));

        // A later launch hands its files over to the running app and ends.
        const auto handOver = [&](const QStringList &arguments) {
            QProcess launch;
            launch.setProcessEnvironment(env);
            launch.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            launch.setWorkingDirectory(dir.path());
            launch.start(tessaly, arguments);
            return launch.waitForFinished(15000) && launch.exitStatus() == QProcess::NormalExit ? launch.exitCode() : -1;
        };
        QElapsedTimer clock;
        clock.start();
        // Relative: resolved by the launch that names it; its --copy holds for its file.
        QCOMPARE(handOver({u"--copy"_qs, u"second.jpg"_qs}), 0);
        qInfo("the second launch ended after %lld ms", clock.elapsed());
        const QString copy = dir.filePath(u"second (cleaned).jpg"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(copy) && clean(copy), 60000);
        QCOMPARE(Fixtures::readAll(second), secondBytes);
        QCOMPARE(running.state(), QProcess::Running);

        // From a file manager (the desktop entry's --review) the file is
        // handed over too, and listed; nothing touches it without a click.
        const QString reviewed = Fixtures::make(dir.path(), "jpg", u"opened with.jpg"_qs);
        const QByteArray reviewedBytes = Fixtures::readAll(reviewed);
        QCOMPARE(handOver({u"--review"_qs, reviewed}), 0);
        // A file handed over after it is cleaned, in place this time: by
        // then the one before would have been cleaned too, had it not waited.
        const QString after = Fixtures::make(dir.path(), "jpg", u"typed later.jpg"_qs);
        QCOMPARE(handOver({u"--in-place"_qs, after}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(clean(after), 60000);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"typed later (cleaned).jpg"_qs)));
        QCOMPARE(Fixtures::readAll(reviewed), reviewedBytes);
        QCOMPARE(running.state(), QProcess::Running);

        // The window said nothing about its own QML (binding loops, missing
        // properties) the whole time.
        const QString said = QString::fromLocal8Bit(running.readAllStandardError());
        if (!said.isEmpty())
            qInfo("the app said:\n%s", qPrintable(said));
        QVERIFY2(!said.contains(u"qrc:/"_qs), "the window's QML warned");
    }
};

QTEST_MAIN(tst_AppShell)
#include "tst_appshell.moc"
