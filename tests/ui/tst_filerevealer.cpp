#include <FileRevealer.h>

#include <QTest>

class TestFileRevealer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void folderOf_data();
    void folderOf();
    void opensTheFolderWhenNoFileManagerAnswers();
};

// No session bus at all: the D-Bus request cannot be made.
void TestFileRevealer::initTestCase()
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessaly-test-bus");
}

void TestFileRevealer::folderOf_data()
{
    QTest::addColumn<QUrl>("file");
    QTest::addColumn<QUrl>("folder");

    QTest::newRow("plain") << QUrl::fromLocalFile(u"/home/jane/Pictures/a.jpg"_qs)
                           << QUrl::fromLocalFile(u"/home/jane/Pictures"_qs);
    QTest::newRow("spaces and hash") << QUrl::fromLocalFile(u"/home/jane/My #1 Trip/b c.png"_qs)
                                     << QUrl::fromLocalFile(u"/home/jane/My #1 Trip"_qs);
    QTest::newRow("at the root") << QUrl::fromLocalFile(u"/x.pdf"_qs) << QUrl::fromLocalFile(u"/"_qs);
}

void TestFileRevealer::folderOf()
{
    QFETCH(QUrl, file);
    QTEST(FileRevealer::folderOf(file), "folder");
}

void TestFileRevealer::opensTheFolderWhenNoFileManagerAnswers()
{
    FileRevealer revealer;
    QList<QUrl> opened;
    revealer.setFolderOpener([&opened](const QUrl &folder) { opened.append(folder); });

    revealer.reveal(QUrl::fromLocalFile(u"/home/jane/Pictures/a.jpg"_qs));

    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(opened.first(), QUrl::fromLocalFile(u"/home/jane/Pictures"_qs));
}

QTEST_GUILESS_MAIN(TestFileRevealer)
#include "tst_filerevealer.moc"
