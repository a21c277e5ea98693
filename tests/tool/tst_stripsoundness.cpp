// What a clean leaves in the file itself: files of every kind, with marker
// strings planted, are cleaned through the service with the bundled tools,
// then searched byte by byte and opened again.

#include <ExifToolService.h>

#include <FakeTool.h>
#include <MediaFixtures.h>
#include <TestFiles.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace MediaFixtures;

namespace {

Expected<Success> strip(const QString &path)
{
    return ExifToolService::create().value().stripMetadata(QUrl::fromLocalFile(path));
}

MetadataTable read(const QString &path)
{
    const auto table = ExifToolService::create().value().readMetadata(QUrl::fromLocalFile(path));
    if (!table)
        qFatal("cannot read %s: %s", qPrintable(path), qPrintable(describe(table.error())));
    return table.value();
}

QString errorOf(const Expected<Success> &result)
{
    return result ? QString() : describe(result.error());
}

// Text of the table naming a person, a place, a time or the camera's serial;
// zeroed (Canon's serial) or emptied fields say nothing.
QStringList identifyingKeysIn(const MetadataTable &table)
{
    QStringList keys;
    for (auto it = table.begin(); it != table.end(); ++it) {
        const QString &key = it.key();
        const QString value = it.value().trimmed();
        if ((key.startsWith("GPS") || (key.contains("Serial") && key != "SerialNumberFormat")
             || QStringList {"Artist", "Author", "Creator", "Title", "Copyright", "DateTimeOriginal"}.contains(key))
            && !value.isEmpty() && value.count(QLatin1Char('0')) != value.size())
            keys.append(key + "=" + value);
    }
    return keys;
}

// Cleaning copies, and copies of copies, that a run left behind.
QStringList leftovers(const QString &directory)
{
    QStringList names;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(".tessaly-") || name.endsWith("_exiftool_tmp") || name.endsWith("_original"))
            names.append(name);
    return names;
}

} // namespace

class tst_StripSoundness : public QObject
{
    Q_OBJECT

private slots:
    void everyKindIsCleanAndLooksTheSame_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"jpg", "png", "webp", "heic", "mp4", "mov", "mkv", "pdf", "dng", "nef", "arw", "cr2", "cr3"})
            QTest::newRow(extension) << QString::fromLatin1(extension);
    }

    void everyKindIsCleanAndLooksTheSame()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = make(dir.path(), extension);
        const QList<QByteArray> marks = planted(extension);
        // Checks of a file that never held the marks prove nothing.
        QCOMPARE(found(everythingIn(path), marks), marks);
        const MetadataTable before = read(path);
        QVERIFY2(!identifyingKeysIn(before).isEmpty(), "the fixture carries no identifying tags");
        const QByteArray renderedBefore = rendering(path);
        QVERIFY(!renderedBefore.isEmpty());
        const QByteArray profileBefore = run("exiftool", {"-b", "-ICC_Profile", path});
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0604), 0);

        QCOMPARE(errorOf(strip(path)), QString());

        QCOMPARE(found(everythingIn(path), marks), QList<QByteArray>());
        const MetadataTable after = read(path);
        QCOMPARE(identifyingKeysIn(after), QStringList());
        QCOMPARE(rendering(path), renderedBefore);
        // A turned photo stays turned; a profile stays (a raw's with it).
        QCOMPARE(after.value("Orientation"), before.value("Orientation"));
        QCOMPARE(run("exiftool", {"-b", "-ICC_Profile", path}), profileBefore);
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0604));
        QCOMPARE(leftovers(dir.path()), QStringList());
        if (QStringList {"jpg", "png", "webp", "heic"}.contains(extension)) {
            // "Unchanged" above; here, that there was something to keep.
            QCOMPARE(after.value("Orientation"), "Rotate 90 CW");
            QCOMPARE(after.value("ProfileDescription"), "Display P3");
        } else if (extension == "mkv") {
            QCOMPARE(run("exiftool", {"-a", "-s3", "-AttachedFileName", path}), "face.ttf\n"); // fonts only
        } else if (extension == "pdf") {
            QVERIFY(!run("qpdf", {"--show-object=trailer", path}).contains("/Info"));
            QVERIFY(!run("qpdf", {"--show-object=1", path}).contains("/Metadata"));
            run("qpdf", {"--check", path});
            // exiftool's own undo of its PDF edits finds nothing to bring back.
            QProcess undo;
            undo.start(program("exiftool"), {"-PDF-update:all=", "-overwrite_original", path});
            QVERIFY(undo.waitForFinished(60000));
            QCOMPARE(found(everythingIn(path), marks), QList<QByteArray>());
            QCOMPARE(identifyingKeysIn(read(path)), QStringList());
        }
    }

    void passwordProtectedPdfIsAnErrorAndUntouched()
    {
        QTemporaryDir dir;
        const QString open = make(dir.path(), "pdf", "open.pdf");
        const QString path = dir.filePath("locked.pdf");
        run("qpdf", {"--encrypt", "user-secret", "owner-secret", "256", "--", open, path});
        const QByteArray original = TestFiles::readAll(path);

        const QString message = errorOf(strip(path));
        QVERIFY2(message.startsWith("ExifTool: ") && message.contains("password", Qt::CaseInsensitive),
                 qPrintable(message));
        // The user reads about their file, not the copy it was tried on.
        QVERIFY2(!message.contains(".tessaly-") && message.contains("locked.pdf"), qPrintable(message));
        QCOMPARE(TestFiles::readAll(path), original);
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    // The edit works on a copy: a tool that fails, even after damaging its
    // file, or a PDF that cannot be rewritten after it, leaves the file and
    // its folder exactly as they were.
    void failedEditLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("tool");       // replaced by `script`
        QTest::addColumn<QByteArray>("script");  // empty: the tool is missing
        QTest::addColumn<QString>("message");
        QTest::newRow("mkvpropedit missing") << "mkv" << "mkvpropedit" << QByteArray() << "mkvpropedit is missing";
        QTest::newRow("mkvpropedit fails after damaging its file")
            << "mkv" << "mkvpropedit" << QByteArray(": > \"$1\"\necho 'Error: simulated failure'\nexit 2")
            << "mkvpropedit: Error: simulated failure";
        QTest::newRow("mkvpropedit warns") << "mkv" << "mkvpropedit"
                                           << QByteArray("echo 'Warning: simulated'\nexit 1")
                                           << "mkvpropedit: Warning: simulated";
        QTest::newRow("pdf unreadable after the edit")
            << "pdf" << "exiftool" << QByteArray("for p; do :; done; printf 'not a pdf any more' > \"$p\"")
            << "could not be rewritten";
    }

    void failedEditLeavesTheFileAsItWas()
    {
        QFETCH(QString, extension);
        QFETCH(QString, tool);
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString resources = dir.filePath("resources"), media = dir.filePath("media");
        QVERIFY(QDir().mkpath(resources) && QDir().mkpath(media));
        // writeFakeTool writes an exiftool: moved to stand for another tool.
        if (!script.isEmpty() && writeFakeTool(resources, script) != resources + "/" + tool)
            QVERIFY(QFile::rename(resources + "/exiftool", resources + "/" + tool));
        if (tool != "exiftool")
            QVERIFY(QFile::link(TestFiles::bundledExifTool(), resources + "/exiftool"));
        QVERIFY(QFile::link(TestFiles::resourceDirectory() + "/lib", resources + "/lib"));
        const QString path = make(media, extension);
        const QByteArray original = TestFiles::readAll(path);

        ServiceOptions options;
        options.resourceDirectory = resources;
        const QString error = errorOf(ExifToolService::create(options).value().stripMetadata(QUrl::fromLocalFile(path)));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(TestFiles::readAll(path), original);
        QCOMPARE(leftovers(media), QStringList());
    }

    void linkStaysALinkAndItsFileIsCleaned_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"jpg", "pdf", "mkv"})
            QTest::newRow(extension) << QString::fromLatin1(extension);
    }

    void linkStaysALinkAndItsFileIsCleaned()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString files = dir.filePath("files"), links = dir.filePath("links");
        QVERIFY(QDir().mkpath(files) && QDir().mkpath(links));
        const QString path = make(files, extension), link = links + "/shortcut." + extension;
        const QString pointsTo = "../files/" + QFileInfo(path).fileName();
        QVERIFY(QFile::link(pointsTo, link));

        QCOMPARE(errorOf(strip(link)), QString());

        char target[4096];
        const ssize_t size = ::readlink(QFile::encodeName(link).constData(), target, sizeof target);
        QCOMPARE(QByteArray(target, qMax<ssize_t>(size, 0)), QFile::encodeName(pointsTo));
        QCOMPARE(found(everythingIn(path), planted(extension)), QList<QByteArray>());
        QCOMPARE(QDir(links).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList {QFileInfo(link).fileName()});
        QCOMPARE(leftovers(files), QStringList());
    }

    // A file whose name promises another kind would get a plan that leaves it
    // uncleaned (a raw or PDF as a photo) or fails half-way.
    void fileUnlikeItsNameIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("madeAs");
        QTest::addColumn<QString>("namedAs");
        QTest::newRow("pdf named jpg") << "pdf" << "jpg";
        QTest::newRow("dng named jpg") << "dng" << "jpg";
        QTest::newRow("mkv named mp4") << "mkv" << "mp4";
        QTest::newRow("jpg named cr2") << "jpg" << "cr2";
        QTest::newRow("jpg named pdf") << "jpg" << "pdf";
    }

    void fileUnlikeItsNameIsRefusedUntouched()
    {
        QFETCH(QString, madeAs);
        QFETCH(QString, namedAs);
        QTemporaryDir dir;
        const QString path = dir.filePath("renamed." + namedAs);
        QVERIFY(QFile::rename(make(dir.path(), madeAs), path));
        const QByteArray original = TestFiles::readAll(path);

        const auto stripped = strip(path);
        QVERIFY(!stripped);
        QVERIFY(std::holds_alternative<CleanError>(stripped.error()));
        QVERIFY2(describe(stripped.error()).contains("." + namedAs), qPrintable(describe(stripped.error())));
        QCOMPARE(TestFiles::readAll(path), original);
    }
};

QTEST_GUILESS_MAIN(tst_StripSoundness)
#include "tst_stripsoundness.moc"
