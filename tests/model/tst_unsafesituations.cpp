#include "BadInput.h"
#include "CleaningPipeline.h"

#include <LocalName.h>
#include <Translations.h>
#include <ZipArchive.h>

#include <Fixtures.h>
#include <OfficeFixtures.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>

using namespace std::chrono_literals;
using namespace BadInput;

// Situations in which rewriting would lose, expose or corrupt a file: the
// same file twice, files changed or swapped while they are cleaned, hostile
// documents, names of any bytes, and the app stopped mid-clean. Each row says
// what each file must be afterwards.
class tst_UnsafeSituations : public QObject
{
    Q_OBJECT

    // A stranger's archive, written to `root` and returned by its path, with
    // a copy as `hostile.orig` to compare.
    static QString hostileArchive(const QString &situation, const QString &root)
    {
        QByteArray bytes;
        QString extension;
        if (situation == "damaged office document") {
            extension = "docx";
            OfficeFixtures::make(root + "/whole.docx", extension);
            const QByteArray whole = Fixtures::readAll(root + "/whole.docx");
            bytes = whole.left(whole.size() / 2) + whole.right(40); // the end of the directory, without the directory
        } else if (situation == "ZIP bomb named as a spreadsheet") {
            extension = "ods";
            bytes = ZipArchive::write({ZipEntry {"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                                       ZipEntry {"content.xml", QByteArray(300 << 20, ' '), false}});
        } else {
            extension = "epub";
            QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE package [<!ENTITY l0 \"ha\">";
            for (int i = 1; i < 10; ++i)
                laughs += QByteArrayLiteral("<!ENTITY l") + QByteArray::number(i) + " \""
                          + QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
            laughs += "]>\n<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata>&l9;</metadata></package>";
            bytes = ZipArchive::write({ZipEntry {"mimetype", "application/epub+zip", true},
                                       ZipEntry {"content.opf", laughs, false}});
        }
        const QString path = root + "/hostile." + extension;
        Fixtures::writeAll(path, bytes);
        Fixtures::writeAll(root + "/hostile.orig", bytes);
        return path;
    }

    static QString hostileMessage(const QString &situation)
    {
        if (situation == "damaged office document")
            return QStringLiteral("is damaged");
        return situation.contains("ZIP") ? QStringLiteral("decompression bomb") : QStringLiteral("XML entities");
    }

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void situations_data()
    {
        QTest::addColumn<QString>("situation");
        for (const char *situation :
             {"same file by link and odd spellings", "same files in two windows", "hostile PDFs beside ordinary files",
              "replaced while being cleaned", "held open for writing", "link swapped after adding",
              "names that are not UTF-8", "damaged office document", "ZIP bomb named as a spreadsheet",
              "entity bomb in an e-book"})
            QTest::newRow(situation) << QString::fromLatin1(situation);
    }

    void situations()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString root = dir.path();
        auto removeAll = qScopeGuard([&root] { removeTree(QFile::encodeName(root)); });
        CleaningPipeline pipeline(true);
        auto model = std::make_unique<TessalyViewModel>(pipeline.cleaner, pipeline.pool, ModelOptions{10ms});
        const auto status = [&](const QString &path) { return statusOf(*model, path); };

        if (situation == "same file by link and odd spellings") {
            const QString photo = Fixtures::make(root, "jpg", "a.jpg");
            QVERIFY(QFile::link(photo, root + "/link.jpg"));
            model->addFiles({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(root + "//a.jpg"),
                             QUrl("file://" + root + "/%61.jpg"), QUrl::fromLocalFile(root + "/link.jpg"),
                             QUrl::fromLocalFile(root + "/./a.jpg")});
            QCOMPARE(model->totalCount(), 1); // one file, one row
            endOfRun(*model);
            QCOMPARE(model->doneCount(), 1);
            QVERIFY(!Fixtures::marked(photo) && QFileInfo(photo).isFile());
        } else if (situation == "same files in two windows") {
            QStringList photos;
            for (int i = 0; i < 12; ++i)
                photos << Fixtures::make(root, "jpg", QStringLiteral("p%1.jpg").arg(i));
            QList<QUrl> urls;
            for (const QString &photo : photos)
                urls << QUrl::fromLocalFile(photo);
            CleaningPipeline otherPipeline(true);
            TessalyViewModel other(otherPipeline.cleaner, otherPipeline.pool, ModelOptions{10ms});
            model->addFiles(urls);
            other.addFiles(urls);
            endOfRun(*model);
            endOfRun(other);
            for (const QString &photo : photos) {
                // Never lost: each file is there and clean, cleaned by one window or the other.
                QVERIFY2(QFileInfo(photo).isFile(), qPrintable(photo + " vanished"));
                QVERIFY(!Fixtures::marked(photo));
            }
            QCOMPARE(model->doneCount() + other.doneCount() >= 12, true);
        } else if (situation == "hostile PDFs beside ordinary files") {
            // A page tree nested 100,000 deep, and a page whose stream inflates to 2 GB.
            QByteArray deep = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n";
            const int levels = 100000;
            for (int i = 0; i < levels; ++i)
                deep += QByteArray::number(i + 2) + " 0 obj << /Type /Pages /Kids [" + QByteArray::number(i + 3)
                        + " 0 R] /Count 1 >> endobj\n";
            deep += QByteArray::number(levels + 2) + " 0 obj << /Type /Page /MediaBox [0 0 10 10] >> endobj\n"
                    "trailer << /Root 1 0 R /Info << /Author (" + QByteArray(Fixtures::author) + ") >> >>\n%%EOF\n";
            Fixtures::writeAll(root + "/deep.pdf", deep);
            const QByteArray zeros(64 << 20, '\0');
            const QByteArray bomb = qCompress(zeros).mid(4); // zlib stream of 64 MiB of zeros
            Fixtures::writeAll(root + "/bomb.pdf", Fixtures::pdfBytes({
                "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                "<< /Length " + QByteArray::number(bomb.size()) + " /Filter /FlateDecode >>\nstream\n" + bomb + "\nendstream",
                "<< /Author (" + QByteArray(Fixtures::author) + ") >>"}));
            const QString ordinary = Fixtures::make(root, "pdf"), photo = Fixtures::make(root, "jpg");
            const QByteArray deepBytes = Fixtures::readAll(root + "/deep.pdf");
            model->addFiles({QUrl::fromLocalFile(root + "/deep.pdf"), QUrl::fromLocalFile(root + "/bomb.pdf"),
                             QUrl::fromLocalFile(ordinary), QUrl::fromLocalFile(photo)});
            endOfRun(*model);
            QCOMPARE(status(root + "/deep.pdf"), FileStatus::error);
            QCOMPARE(Fixtures::readAll(root + "/deep.pdf"), deepBytes);
            // The bomb's page is never inflated, so it may well be cleaned; either way it stays whole.
            QVERIFY(status(root + "/bomb.pdf") == FileStatus::error || !marked(Fixtures::readAll(root + "/bomb.pdf")));
            QCOMPARE(status(ordinary), FileStatus::done);
            QCOMPARE(status(photo), FileStatus::done);
        } else if (situation == "replaced while being cleaned") {
            // Another program saves over the file while its clean is under way.
            const QString file = root + "/big.jpg";
            makeBigFile(file);
            const QByteArray newer = Fixtures::readAll(Fixtures::make(root, "jpg", "newer.jpg"));
            model->addFiles({QUrl::fromLocalFile(file)});
            QDeadlineTimer deadline(60000);
            while (!stagedFolderIn(root) && !deadline.hasExpired())
                QTest::qWait(1);
            Fixtures::writeAll(root + "/saving.tmp", newer);
            QCOMPARE(::rename(QFile::encodeName(root + "/saving.tmp").constData(), QFile::encodeName(file).constData()), 0);
            endOfRun(*model);
            QCOMPARE(status(file), FileStatus::error);
            QCOMPARE(Fixtures::readAll(file), newer);
        } else if (situation == "held open for writing") {
            // A download still in progress.
            const QString file = Fixtures::make(root, "jpg", "download.jpg");
            const QByteArray bytes = Fixtures::readAll(file);
            QFile writer(file);
            QVERIFY(writer.open(QIODevice::ReadWrite));
            model->addFiles({QUrl::fromLocalFile(file)});
            endOfRun(*model);
            QCOMPARE(status(file), FileStatus::error);
            QCOMPARE(Fixtures::readAll(file), bytes);
        } else if (situation == "link swapped after adding") {
            const QString chosen = Fixtures::make(root, "jpg", "chosen.jpg");
            const QString other = Fixtures::make(root, "jpg", "other.jpg");
            const QByteArray otherBytes = Fixtures::readAll(other);
            QVERIFY(QFile::link(chosen, root + "/link.jpg"));
            model->addFiles({QUrl::fromLocalFile(root + "/link.jpg")});
            // Before the run starts, the link is made to point elsewhere.
            QVERIFY(QFile::remove(root + "/link.jpg") && QFile::link(other, root + "/link.jpg"));
            endOfRun(*model);
            QCOMPARE(status(root + "/link.jpg"), FileStatus::error);
            QCOMPARE(Fixtures::readAll(other), otherBytes);
        } else if (situation == "names that are not UTF-8") {
            // The helpers that edit a staged copy, given names of any bytes: a
            // PDF and a Matroska video in a Latin-1 folder (their staging
            // folder's name is no text either), and a Latin-1 video.
            const QByteArray base = QFile::encodeName(root);
            QCOMPARE(::mkdir(QByteArray(base + "/Fotos \xe9t\xe9").constData(), 0755), 0);
            const QList<std::pair<const char *, QByteArray>> files{
                {"pdf", base + "/Fotos \xe9t\xe9/caf\xe9.pdf"}, {"mkv", base + "/Fotos \xe9t\xe9/in.mkv"}, {"mp4", base + "/caf\xe9.mp4"}};
            QList<QUrl> urls;
            for (const auto &[extension, path] : files) {
                const QString made = Fixtures::make(root, extension, u"made."_qs + QLatin1String(extension));
                QCOMPARE(::rename(QFile::encodeName(made).constData(), path.constData()), 0);
                urls << urlForLocalPath(path);
            }
            model->addFiles(urls);
            endOfRun(*model);
            QCOMPARE(model->doneCount(), 3);
            for (const auto &[extension, path] : files) {
                const QByteArray now = regularFileBytes(path);
                QVERIFY2(!now.isEmpty() && Fixtures::found(now, Fixtures::planted(extension)).isEmpty(), extension);
                QVERIFY(!stagedFolderIn(path.left(path.lastIndexOf('/'))));
            }
        } else if (situation.contains("office") || situation.contains("bomb")) {
            // Refused with its reason, beside an ordinary document that is cleaned.
            const QString hostile = hostileArchive(situation, root), ordinary = Fixtures::make(root, "docx");
            model->addFiles({QUrl::fromLocalFile(hostile), QUrl::fromLocalFile(ordinary)});
            endOfRun(*model);
            QVERIFY2(messageOf(itemFor(*model, hostile)).contains(hostileMessage(situation)),
                     qPrintable(messageOf(itemFor(*model, hostile))));
            QCOMPARE(Fixtures::readAll(hostile), Fixtures::readAll(root + "/hostile.orig"));
            QCOMPARE(status(root + "/sample.docx"), FileStatus::done);
            QVERIFY(!Fixtures::marked(root + "/sample.docx"));
        }
        QVERIFY(!stagedFolderIn(root));
    }

    // The app quits, or is killed, while a large file is being cleaned: the
    // file is whole (untouched or cleaned), and the staged copy is gone at
    // once after a quit, at the next start after a kill.
    void appStoppedMidClean_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("signal");
        for (const char *extension : {"jpg", "pdf", "mkv"}) {
            QTest::addRow("%s, quit", extension) << extension << int(SIGTERM);
            QTest::addRow("%s, killed", extension) << extension << int(SIGKILL);
        }
    }

    void appStoppedMidClean()
    {
        QFETCH(QString, extension);
        QFETCH(int, signal);
        QTemporaryDir dir, state;
        const QString file = dir.filePath("big." + extension);
        makeBigFile(file);
        const QByteArray original = Fixtures::readAll(file);
        const QStringList before = entries(dir.path());
        // exiftool processes left with nobody to talk to are adopted by init;
        // those there before are not ours: anything else on the machine may leave them.
        const QList<qint64> orphansBefore = Fixtures::liveChildren("exiftool", 1);

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", state.path());
        env.remove("DBUS_SESSION_BUS_ADDRESS"); // a Tessaly the user has open must not take the file
        env.insert("XDG_CONFIG_HOME", state.path());
        app.setProcessEnvironment(env);
        app.start(QCoreApplication::applicationDirPath() + "/tessaly", {file});
        QVERIFY(app.waitForStarted());
        QDeadlineTimer deadline(60000);
        bool caught = false;
        while (!(caught = stagedFolderIn(dir.path())) && Fixtures::readAll(file) == original && !deadline.hasExpired())
            QThread::usleep(100);
        ::kill(app.processId(), signal);
        app.waitForFinished();
        QVERIFY2(caught, "the clean was over before the app could be stopped: make the file larger");

        if (signal == SIGKILL) {
            QVERIFY(stagedFolderIn(dir.path())); // nobody was left to remove it
            QProcess again;
            again.setProcessEnvironment(env);
            again.start(QCoreApplication::applicationDirPath() + "/tessaly", QStringList());
            QVERIFY(again.waitForStarted());
            // The sweep removes the folder, then its note: a stop between the two would leave the note.
            QTRY_VERIFY_WITH_TIMEOUT(!stagedFolderIn(dir.path()) && entries(state.path() + "/tessaly/staging").isEmpty(), 20000);
            again.terminate();
            QVERIFY(again.waitForFinished(20000));
        }
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(entries(state.path() + "/tessaly/staging"), QStringList()); // no note outlives its app
        const QByteArray now = Fixtures::readAll(file);
        QVERIFY2(now == original || !marked(now), "the file is neither untouched nor cleaned");
        QTRY_VERIFY_WITH_TIMEOUT(
            std::ranges::all_of(Fixtures::liveChildren("exiftool", 1), [&](qint64 pid) { return orphansBefore.contains(pid); }), 10000);
    }
};

int main(int argc, char *argv[])
{
    dropPermissionOverrides(argc, argv);
    QCoreApplication app(argc, argv);
    tst_UnsafeSituations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unsafesituations.moc"
