#include <DropIntake.h>
#include <LocalName.h>
#include <Translations.h>

#include <FileCleaner.h>
#include <StayOpenRunner.h>
#include <TessalyViewModel.h>

#include <QThreadPool>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDropIntake : public QObject
{
    Q_OBJECT

    // Photos/ with supported files at several depths, and what must not be
    // listed: an unsupported file, hidden entries, and links out of the folder.
    static QString makeTree(const QTemporaryDir &dir)
    {
        const QDir root(dir.path());
        for (const char *path : {"Photos/sub/deep", "Photos/.cache", "Outside"})
            root.mkpath(QLatin1String(path));
        for (const char *path : {"Photos/IMG_10.jpg", "Photos/IMG_2.JPG", "Photos/notes.txt", "Photos/sub/deep/clip.mkv",
                                 "Photos/.cache/thumb.jpg", "Photos/.hidden.png", "Outside/secret.jpg"})
            QFile(root.filePath(QLatin1String(path))).open(QIODevice::WriteOnly);
        QFile::link(root.filePath(u"Outside"_qs), root.filePath(u"Photos/linked-folder"_qs));
        QFile::link(root.filePath(u"Outside/secret.jpg"_qs), root.filePath(u"Photos/linked.jpg"_qs));
        return root.filePath(u"Photos"_qs);
    }

    static QStringList listedPaths(const TessalyViewModel &model)
    {
        QStringList paths;
        for (const FileItem &item : model.files())
            paths.append(item.url.toLocalFile());
        return paths;
    }

    static QUrl file(const char *name) { return QUrl::fromLocalFile(u"/tmp/tessaly-drop-test/"_qs + QLatin1String(name)); }

    // A model whose jobs fail at once (there is no tool), and an intake feeding it.
    struct QuietModel
    {
        StayOpenRunner runner;
        FileCleaner cleaner{ToolPaths::inFolder(u"/nonexistent/tessaly-no-tool"_qs), runner};
        QThreadPool pool;
        TessalyViewModel model{cleaner, pool, ModelOptions{std::chrono::milliseconds(0)}};
        DropIntake intake;
        QuietModel() { intake.setViewModel(&model); }
    };

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
        // A name that is only an extension is a hidden file without one, as in a folder scan.
        QTest::newRow("only an extension") << QList<QUrl>{file(".jpg")} << 0 << one;
        QTest::newRow("spaces after the extension") << QList<QUrl>{file("a.jpg  ")} << 1 << QString();
        // A path that is no folder on disk is judged by its name.
        QTest::newRow("missing folder") << QList<QUrl>{QUrl::fromLocalFile(u"/tmp/tessaly-no-such/Holiday/"_qs)} << 0 << one;
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
        QuietModel quiet;
        TessalyViewModel &model = quiet.model;
        DropIntake &intake = quiet.intake;
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

    // A dropped folder is no unsupported file: its contents are listed, after
    // the search, and only the unsupported file beside it is announced.
    // Beyond the limit the files wait for an answer; a cancelled question
    // lists nothing, a confirmed one lists them all.
    void folders()
    {
        QTemporaryDir dir;
        const QString photos = makeTree(dir);
        QuietModel quiet;
        QCOMPARE(quiet.intake.confirmationLimit(), 1000);
        quiet.intake.handleDrop({QUrl::fromLocalFile(photos), file("x.doc")});
        QCOMPARE(quiet.intake.unsupportedMessage(), u"This file type is not supported"_qs);
        QTRY_COMPARE(listedPaths(quiet.model),
                 (QStringList{photos + u"/IMG_2.JPG"_qs, photos + u"/IMG_10.jpg"_qs, photos + u"/sub/deep/clip.mkv"_qs}));
        QCOMPARE(DropIntake::supportedFilesIn(dir.filePath(u"nothing here"_qs)), QStringList());
        // Names that are not UTF-8, of the folder and of the file in it, are found all the same.
        const QByteArray latin = QFile::encodeName(dir.path()) + "/Fotos \xe9t\xe9";
        QCOMPARE(::mkdir(latin.constData(), 0755), 0);
        const int fd = ::open(QByteArray(latin + "/caf\xe9.jpg").constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::close(fd) == 0);
        QCOMPARE(DropIntake::supportedFileUrlsIn(latin), QList<QUrl>{urlForLocalPath(latin + "/caf\xe9.jpg")});
        QuietModel bytes;
        bytes.intake.addPicked({urlForLocalPath(latin)});
        QTRY_COMPARE(bytes.model.files().size(), 1);
        QCOMPARE(bytes.model.files().first().fileName, u"caf\uFFFDE9.jpg"_qs);
        quiet.intake.addPicked({file("y.doc")}); // picked: no message of its own
        QTRY_COMPARE(quiet.intake.unsupportedMessage(), QString());
        // Named on a command line, it is told why it is not listed.
        QuietModel named;
        named.intake.addNamed({file(".jpg"), file("z.doc")}, AdditionChoices{});
        QCOMPARE(named.intake.unsupportedMessage(), u"2 files are of an unsupported type"_qs);
        QCOMPARE(named.model.files().size(), 0);

        QuietModel asking;
        DropIntake &intake = asking.intake;
        intake.setConfirmationLimit(2);
        intake.handleDrop({QUrl::fromLocalFile(photos)});
        QTRY_COMPARE(intake.confirmationText(), u"Clean 3 files in “Photos”? They will be replaced by cleaned versions."_qs);
        QCOMPARE(asking.model.files().size(), 0);
        intake.cancelPending();
        QCOMPARE(intake.confirmationText(), QString());
        intake.confirmPending(); // nothing waits any more
        QCOMPARE(asking.model.files().size(), 0);

        intake.addPicked({QUrl::fromLocalFile(photos), QUrl::fromLocalFile(photos + u"/sub"_qs), file("a.jpg")});
        QTRY_COMPARE(intake.confirmationText(), u"Clean 4 files from these folders? They will be replaced by cleaned versions."_qs);
        intake.confirmPending();
        QCOMPARE(intake.confirmationText(), QString());
        // Photos' three, a.jpg; clip.mkv came twice and is listed once.
        QCOMPARE(asking.model.files().size(), 4);

        QuietModel never;
        never.intake.setConfirmationLimit(-1);
        never.intake.addPicked({QUrl::fromLocalFile(photos)});
        QTRY_COMPARE(never.model.files().size(), 3);
        QCOMPARE(never.intake.confirmationText(), QString());
    }

    // Hundreds of names are looked at on a worker: the files and the
    // folder's contents are listed all the same, and the question still
    // names the one folder among them.
    void aLargeDropIsLookedAtAway()
    {
        QTemporaryDir dir;
        const QString photos = makeTree(dir);
        QList<QUrl> urls;
        for (int i = 0; i < 600; ++i)
            urls.append(QUrl::fromLocalFile(dir.filePath(u"many/photo-%1.jpg"_qs.arg(i))));
        urls.append(QUrl::fromLocalFile(photos));
        QuietModel quiet;
        quiet.intake.setConfirmationLimit(2);
        quiet.intake.handleDrop(urls);
        QTRY_COMPARE(quiet.intake.confirmationText(),
                     u"Clean 3 files in “Photos”? They will be replaced by cleaned versions."_qs);
        QCOMPARE(quiet.intake.unsupportedMessage(), QString());
        quiet.intake.confirmPending();
        QTRY_COMPARE(quiet.model.files().size(), 603);
    }
};

QTEST_GUILESS_MAIN(TestDropIntake)
#include "tst_dropintake.moc"
