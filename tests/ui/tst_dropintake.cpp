#include <DropIntake.h>
#include <Translations.h>

#include <TessalyViewModel.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestDropIntake : public QObject
{
    Q_OBJECT

    static QUrl file(const char *name) { return QUrl::fromLocalFile(u"/tmp/tessaly-drop-test/"_qs + QLatin1String(name)); }

private slots:
    void initTestCase() { QVERIFY(installTranslations(QLocale(QLocale::English))); }

    // The supported files reach the model, the model hears of every drop, and
    // a message counts what was left out, then goes.
    void drop_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("message");
        const QString one = u"This file type is not supported"_qs;
        QTest::newRow("txt among photos") << QList<QUrl>{file("a.jpg"), file("b.txt"), file("c.nef")} << 2 << one;
        QTest::newRow("upper-case extension") << QList<QUrl>{file("IMG_0001.JPG"), file("clip.mkv")} << 2 << QString();
        QTest::newRow("no extension") << QList<QUrl>{file("README")} << 0 << one;
        QTest::newRow("folder") << QList<QUrl>{QUrl::fromLocalFile(u"/tmp/Holiday/"_qs)} << 0 << one;
        QTest::newRow("two unsupported") << QList<QUrl>{file("a.doc"), file("b.zip")} << 0
                                         << u"2 files are of an unsupported type"_qs;
        // Items that carried no URL arrive as invalid URLs and are left out.
        QTest::newRow("no URLs") << QList<QUrl>{QUrl(), QUrl(u"http://[broken"_qs)} << 0 << QString();
    }

    void drop()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(int, listed);
        QFETCH(QString, message);
        QTemporaryDir noTool; // jobs fail fast
        ModelOptions options;
        options.service.resourceDirectory = noTool.path();
        options.runTail = std::chrono::milliseconds(0);
        TessalyViewModel model(options);
        DropIntake intake;
        intake.setViewModel(&model);
        intake.setClearDelay(50);
        QSignalSpy messageChanges(&intake, &DropIntake::unsupportedMessageChanged);
        QSignalSpy listChanges(&model, &TessalyViewModel::filesChanged);

        intake.handleDrop(urls);
        QCOMPARE(model.files().size(), listed);
        QCOMPARE(listChanges.size(), 1);
        QCOMPARE(intake.unsupportedMessage(), message);
        QTRY_COMPARE(intake.unsupportedMessage(), QString());
        QCOMPARE(messageChanges.size(), message.isEmpty() ? 0 : 2);
    }

    // The first drop's timer runs out long before the second drop's would; it
    // clears the second drop's message anyway.
    void earlierTimerClearsLaterMessage()
    {
        DropIntake intake;
        intake.setClearDelay(200);
        intake.handleDrop({file("a.doc")});
        intake.setClearDelay(60 * 60 * 1000);
        intake.handleDrop({file("b.doc"), file("c.doc")});
        QCOMPARE(intake.unsupportedMessage(), u"2 files are of an unsupported type"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(intake.unsupportedMessage(), QString(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestDropIntake)
#include "tst_dropintake.moc"
