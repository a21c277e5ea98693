#include <FileRevealer.h>
#include <Translations.h>

#include <QTest>

class TestFileRevealer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installTranslations(QLocale(QLocale::English))); }

    // Without a file manager on the bus the folder is opened instead; when
    // nothing opens it either, the window hears why.
    void opensTheFolderWhenNoFileManagerAnswers_data()
    {
        QTest::addColumn<bool>("folderOpens");
        QTest::addColumn<QStringList>("failures");
        QTest::newRow("folder opens") << true << QStringList();
        QTest::newRow("nothing opens it") << false << QStringList{u"No file manager could show “a b.jpg”."_qs};
    }

    void opensTheFolderWhenNoFileManagerAnswers()
    {
        QFETCH(bool, folderOpens);
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessaly-test-bus"); // no session bus at all
        FileRevealer revealer;
        QList<QUrl> opened;
        revealer.setFolderOpener([&opened, folderOpens](const QUrl &folder) {
            opened.append(folder);
            return folderOpens;
        });
        QStringList failures;
        connect(&revealer, &FileRevealer::revealFailed, this, [&failures](const QString &message) { failures.append(message); });
        revealer.reveal(QUrl::fromLocalFile(u"/home/jane/Pictures/a b.jpg"_qs));
        QTRY_COMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(u"/home/jane/Pictures"_qs)});
        QTEST(failures, "failures");
    }
};

QTEST_GUILESS_MAIN(TestFileRevealer)
#include "tst_filerevealer.moc"
