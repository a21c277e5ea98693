#include <DropIntake.h>
#include <Translations.h>

#include <TessalyViewModel.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QUrl fileUrl(const QString &name)
{
    return QUrl::fromLocalFile(u"/tmp/tessaly-drop-test/"_qs + name);
}

} // namespace

class TestDropIntake : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countsUnsupported_data();
    void countsUnsupported();
    void oneUnsupportedAmongSupported();
    void severalUnsupportedAddNothing();
    void supportedOnlyShowsNoMessage();
    void emptyDropStillCallsAddFiles();
    void earlierTimerClearsLaterMessage();

private:
    QTemporaryDir m_noTool; // the model's jobs fail fast: there is no tool here
    std::unique_ptr<TessalyViewModel> m_model;
    std::unique_ptr<DropIntake> m_intake;
};

void TestDropIntake::initTestCase()
{
    QVERIFY(installTranslations(QLocale(QLocale::English)));
}

void TestDropIntake::init()
{
    ModelOptions options;
    options.service.resourceDirectory = m_noTool.path();
    options.runTail = std::chrono::milliseconds(0);
    m_model = std::make_unique<TessalyViewModel>(options);
    m_intake = std::make_unique<DropIntake>();
    m_intake->setViewModel(m_model.get());
    m_intake->setClearDelay(50);
}

void TestDropIntake::cleanup()
{
    m_intake.reset();
    m_model.reset();
}

void TestDropIntake::countsUnsupported_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<qint64>("unsupported");

    QTest::newRow("txt among photos") << QList<QUrl>{fileUrl(u"a.jpg"_qs), fileUrl(u"b.txt"_qs), fileUrl(u"c.nef"_qs)}
                                      << qint64(1);
    QTest::newRow("upper-case extension is supported") << QList<QUrl>{fileUrl(u"IMG_0001.JPG"_qs)} << qint64(0);
    QTest::newRow("no extension") << QList<QUrl>{fileUrl(u"README"_qs)} << qint64(1);
    QTest::newRow("folder") << QList<QUrl>{QUrl::fromLocalFile(u"/tmp/Holiday/"_qs)} << qint64(1);
    QTest::newRow("two unsupported") << QList<QUrl>{fileUrl(u"a.doc"_qs), fileUrl(u"b.zip"_qs)} << qint64(2);
}

void TestDropIntake::countsUnsupported()
{
    QFETCH(QList<QUrl>, urls);
    QTEST(DropIntake::countUnsupported(urls), "unsupported");
}

void TestDropIntake::oneUnsupportedAmongSupported()
{
    QSignalSpy messageChanges(m_intake.get(), &DropIntake::unsupportedMessageChanged);
    m_intake->handleDrop({fileUrl(u"a.jpg"_qs), fileUrl(u"notes.txt"_qs), fileUrl(u"b.pdf"_qs)});

    QCOMPARE(m_intake->unsupportedMessage(), u"This file type is not supported"_qs);
    QCOMPARE(m_model->files().size(), 2);
    QTRY_COMPARE(m_intake->unsupportedMessage(), QString());
    QCOMPARE(messageChanges.count(), 2);
}

void TestDropIntake::severalUnsupportedAddNothing()
{
    m_intake->handleDrop({fileUrl(u"a.doc"_qs), fileUrl(u"b.zip"_qs)});

    QCOMPARE(m_intake->unsupportedMessage(), u"2 files are of an unsupported type"_qs);
    QCOMPARE(m_model->files().size(), 0);
}

void TestDropIntake::supportedOnlyShowsNoMessage()
{
    QSignalSpy messageChanges(m_intake.get(), &DropIntake::unsupportedMessageChanged);
    m_intake->handleDrop({fileUrl(u"IMG_0001.JPG"_qs), fileUrl(u"clip.mkv"_qs)});

    QCOMPARE(m_model->files().size(), 2);
    QCOMPARE(m_intake->unsupportedMessage(), QString());
    QCOMPARE(messageChanges.count(), 0);
}

// Items that carried no URL arrive as invalid URLs and are left out; the
// model still hears of the drop.
void TestDropIntake::emptyDropStillCallsAddFiles()
{
    QSignalSpy listChanges(m_model.get(), &TessalyViewModel::filesChanged);
    m_intake->handleDrop({QUrl(), QUrl(u"http://[broken"_qs)});

    QCOMPARE(listChanges.count(), 1);
    QCOMPARE(m_model->files().size(), 0);
    QCOMPARE(m_intake->unsupportedMessage(), QString());
}

// The first drop's timer runs out long before the second drop's would; it
// clears the second drop's message anyway.
void TestDropIntake::earlierTimerClearsLaterMessage()
{
    m_intake->setClearDelay(200);
    m_intake->handleDrop({fileUrl(u"a.doc"_qs)});
    m_intake->setClearDelay(60 * 60 * 1000);
    m_intake->handleDrop({fileUrl(u"b.doc"_qs), fileUrl(u"c.doc"_qs)});
    QCOMPARE(m_intake->unsupportedMessage(), u"2 files are of an unsupported type"_qs);

    QTRY_COMPARE_WITH_TIMEOUT(m_intake->unsupportedMessage(), QString(), 10000);
}

QTEST_GUILESS_MAIN(TestDropIntake)
#include "tst_dropintake.moc"
