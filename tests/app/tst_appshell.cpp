#include <AppCommands.h>
#include <CommandLineFiles.h>
#include <SettingsInfo.h>
#include <TessalyViewModel.h>
#include <WindowTranslucency.h>

#include <FakeTool.h>

#include <QDir>
#include <QFile>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class tst_AppShell : public QObject
{
    Q_OBJECT

private slots:
    void settingsVersion_data()
    {
        QTest::addColumn<QVariant>("recorded");
        QTest::addColumn<QString>("shown");
        QTest::newRow("string") << QVariant(QStringLiteral("2.4.1")) << "2.4.1";
        QTest::newRow("missing") << QVariant() << "1.0";
        QTest::newRow("a number is no version string") << QVariant(3) << "1.0";
        QTest::newRow("a list is no version string") << QVariant(QStringList{"2.0"}) << "1.0";
        QTest::newRow("shown verbatim even when it is a string id") << QVariant(QStringLiteral("exiftool_found")) << "exiftool_found";
        QTest::newRow("empty string stays empty") << QVariant(QString()) << "";
    }

    void settingsVersion()
    {
        QFETCH(QVariant, recorded);
        QFETCH(QString, shown);
        QCOMPARE(SettingsInfo(recorded).appVersion(), shown);
    }

    void settingsLooksForTheToolAfreshEveryTime()
    {
        QTemporaryDir dir;
        SettingsInfo info(QStringLiteral("1.0.0"), dir.path());
        QVERIFY(!info.exiftoolAvailable());

        // Present but not executable still counts as found: it is the resource that matters.
        const QString tool = writeFakeTool(dir.path(), "exit 0", /*executable=*/false);
        QVERIFY(info.exiftoolAvailable());
        QFile::remove(tool);
        QVERIFY(!info.exiftoolAvailable());
        QSignalSpy refreshed(&info, &SettingsInfo::refreshed); // what the settings view calls on opening
        info.refresh();
        QCOMPARE(refreshed.size(), 1);

    }

    void commandLineArguments()
    {
        const auto local = [](const QString &path) { return QUrl::fromLocalFile(path); };
        QCOMPARE(urlsFromArguments({"a.jpg", "/tmp/b.pdf", "file:///tmp/caf%C3%A9%20x.JPG", "-dash.png", "../up.mov", "",
                                    "https://example.org/x.jpg", "sub/./c.mkv"},
                                   "/home/u/Pictures"),
                 (QList<QUrl>{local("/home/u/Pictures/a.jpg"), local("/tmp/b.pdf"), local(u"/tmp/café x.JPG"_qs),
                              local("/home/u/Pictures/-dash.png"), local("/home/u/up.mov"), local("/home/u/Pictures/sub/c.mkv")}));
    }

    void clearListIsEnabledOnlyWithFilesAndNoRun()
    {
        QTemporaryDir dir;
        // Reads answer at once; the strip waits until the test lets it go.
        const QString gate = dir.filePath("gate");
        writeFakeTool(dir.filePath("tool"),
                      "case \"$1\" in -all) echo '[{}]' ;; *) while [ ! -e '" + QFile::encodeName(gate)
                          + "' ]; do sleep 0.02; done ;; esac");
        ModelOptions options;
        options.service.resourceDirectory = dir.filePath("tool");
        options.runTail = 10ms;
        TessalyViewModel model(options);
        AppCommands commands(&model);
        QSignalSpy changed(&commands, &AppCommands::clearListEnabledChanged);

        QVERIFY(!commands.clearListEnabled());
        commands.clearList(); // disabled: nothing happens
        QCOMPARE(model.totalCount(), 0);

        model.addFiles({QUrl::fromLocalFile(dir.filePath("a.jpg"))});
        QVERIFY(commands.clearListEnabled()); // listed, run not yet started
        QTRY_VERIFY(model.isProcessing());
        QVERIFY(!commands.clearListEnabled());
        commands.clearList();
        QCOMPARE(model.totalCount(), 1);

        QFile(gate).open(QIODevice::WriteOnly);
        QTRY_VERIFY_WITH_TIMEOUT(!model.isProcessing(), 20000);
        QVERIFY(commands.clearListEnabled());
        commands.clearList();
        QCOMPARE(model.totalCount(), 0);
        QVERIFY(!commands.clearListEnabled());
        QCOMPARE(changed.size(), 4);
    }

    void openFilesWhilePickerIsOpenLeavesItOpen()
    {
        TessalyViewModel model{ModelOptions{}};
        AppCommands commands(&model);
        QSignalSpy picker(&model, &TessalyViewModel::showFilePickerChanged);
        commands.openFiles();
        commands.openFiles();
        QVERIFY(model.showFilePicker());
        QCOMPARE(picker.size(), 1);
    }

    void translucencyGoesToTheFirstWindowOnly()
    {
        makeWindowTranslucent({}); // no window: nothing to do, nothing breaks

        QQuickWindow main;
        QQuickWindow settings;
        const QColor settingsColor = settings.color();
        makeWindowTranslucent({&main, &settings});
        QCOMPARE(main.color(), QColor(Qt::transparent));
        QCOMPARE(main.format().alphaBufferSize(), 8);
        QCOMPARE(settings.color(), settingsColor);
        QCOMPARE(settings.color().alpha(), 255);
    }
};

QTEST_MAIN(tst_AppShell)
#include "tst_appshell.moc"
