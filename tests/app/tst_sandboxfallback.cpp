// Where the sandbox cannot start (here: turned off), tools still run, and
// the app says so in Settings ▸ About and once as it starts.

#include <OneShotRunner.h>
#include <Sandbox.h>
#include <SettingsInfo.h>
#include <Translations.h>

#include <FakeTool.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class TestSandboxFallback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TESSALY_SANDBOX", "off");
        installTranslations(QLocale(QLocale::English));
    }

    void startSaysItOnce()
    {
        SettingsInfo info(QStringLiteral("1.0"));
        QSignalSpy notice(&info, &SettingsInfo::startNoticeChanged);
        info.probeSandbox();
        QVERIFY(notice.wait(10000));
        QCOMPARE(info.startNotice(), QStringLiteral("Tools run without a sandbox: turned off (TESSALY_SANDBOX=off)"));
        info.dismissStartNotice();
        QCOMPARE(info.startNotice(), QString());
        info.dismissStartNotice();
        QCOMPARE(notice.count(), 2);
    }

    void aboutSaysWhy_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("English") << QLocale(QLocale::English)
                                 << "Tools run without a sandbox: turned off (TESSALY_SANDBOX=off)";
        QTest::newRow("German") << QLocale(QLocale::German)
                                << "Werkzeuge laufen ohne Sandbox: abgeschaltet (TESSALY_SANDBOX=off)";
    }

    void aboutSaysWhy()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QVERIFY(!Sandbox::status().active());
        installTranslations(locale);
        const SettingsInfo info(QStringLiteral("1.0"));
        QCOMPARE(info.sandboxNote(), expected);
    }

    // Unconfined, a tool reaches files no grant names, as before.
    void toolsStillRun()
    {
        QTemporaryDir dir;
        const QString tool = writeFakeTool(dir.filePath("tool"), "cat \"$1\"");
        QFile file(dir.filePath("file.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("content") == 7);
        file.close();
        OneShotRunner runner;
        const auto result = runner.run(tool, {file.fileName()}, 20s);
        QVERIFY(result);
        QCOMPARE(result.value(), QByteArray("content"));
    }
};

QTEST_GUILESS_MAIN(TestSandboxFallback)
#include "tst_sandboxfallback.moc"
