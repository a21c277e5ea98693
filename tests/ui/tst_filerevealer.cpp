#include <FileRevealer.h>

#include <QTest>

class TestFileRevealer : public QObject
{
    Q_OBJECT

private slots:
    void folderOf_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << u"/home/jane/Pictures/a.jpg"_qs << u"/home/jane/Pictures"_qs;
        QTest::newRow("spaces and hash") << u"/home/jane/My #1 Trip/b c.png"_qs << u"/home/jane/My #1 Trip"_qs;
        QTest::newRow("at the root") << u"/x.pdf"_qs << u"/"_qs;
    }

    void folderOf()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QCOMPARE(FileRevealer::folderOf(QUrl::fromLocalFile(file)), QUrl::fromLocalFile(folder));
    }

    void opensTheFolderWhenNoFileManagerAnswers()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessaly-test-bus"); // no session bus at all
        FileRevealer revealer;
        QList<QUrl> opened;
        revealer.setFolderOpener([&opened](const QUrl &folder) { opened.append(folder); });
        revealer.reveal(QUrl::fromLocalFile(u"/home/jane/Pictures/a.jpg"_qs));
        QTRY_COMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(u"/home/jane/Pictures"_qs)});
    }
};

QTEST_GUILESS_MAIN(TestFileRevealer)
#include "tst_filerevealer.moc"
