// What a clean leaves in the file itself: every kind of file is made with
// marker strings planted, cleaned through the service with the bundled tools,
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

ExifToolService bundledService()
{
    auto service = ExifToolService::create();
    if (!service)
        qFatal("no bundled exiftool: %s", qPrintable(describe(service.error())));
    return service.value();
}

MetadataTable read(const QString &path)
{
    const auto table = bundledService().readMetadata(QUrl::fromLocalFile(path));
    if (!table)
        qFatal("cannot read %s: %s", qPrintable(path), qPrintable(describe(table.error())));
    return table.value();
}

QString makeFile(const QString &directory, const QString &extension)
{
    if (QStringList{"jpg", "png", "webp", "heic"}.contains(extension))
        return makePhoto(directory, extension);
    if (extension == QLatin1String("mp4") || extension == QLatin1String("mov"))
        return makeMovie(directory, extension);
    if (extension == QLatin1String("mkv"))
        return makeMatroska(directory);
    if (extension == QLatin1String("pdf"))
        return makePdf(directory);
    return makeRaw(directory, extension);
}

// The marks each kind of file was given, as they sit in its bytes.
QList<QByteArray> plantedIn(const QString &extension)
{
    if (QStringList{"jpg", "png", "webp", "heic"}.contains(extension))
        return {author, serial, owner, creator, title, exifDate};
    if (extension == QLatin1String("mp4") || extension == QLatin1String("mov"))
        return {title, author, comment, creator, owner, "+48.8583", movieHeaderDate()};
    if (extension == QLatin1String("mkv"))
        return {title, author, comment, serial, owner, attachment};
    if (extension == QLatin1String("pdf"))
        return {author, title, comment, creator, "20190304"};
    if (extension == QLatin1String("cr2"))
        return {author, title, comment, owner, creator, canonSerialBytes(), "F0423075", "2009:07:21"};
    if (extension == QLatin1String("cr3"))
        return {author, title, comment, serial, owner, creator, exifDate, canonSerialBytes(), movieHeaderDate()};
    return {author, title, comment, serial, owner, creator, exifDate};
}

// What no file may keep: any text of the table naming a person, a place, a
// time or the camera's serial.
QStringList identifyingKeysIn(const MetadataTable &table)
{
    QStringList keys;
    for (auto it = table.begin(); it != table.end(); ++it) {
        const QString &key = it.key();
        const bool serial = key.contains(QLatin1String("Serial")) && key != QLatin1String("SerialNumberFormat");
        if (key.startsWith(QLatin1String("GPS")) || serial
            || key == QLatin1String("Artist") || key == QLatin1String("Author") || key == QLatin1String("Creator")
            || key == QLatin1String("Title") || key == QLatin1String("Copyright")
            || key == QLatin1String("DateTimeOriginal")) {
            // Zeroed (Canon's serial) or emptied fields say nothing.
            const QString value = it.value().trimmed();
            if (!value.isEmpty() && value.count(QLatin1Char('0')) != value.size())
                keys.append(key + QLatin1String("=") + value);
        }
    }
    return keys;
}

// Cleaning copies, and copies of copies, that a run left behind.
QStringList leftovers(const QString &directory)
{
    QStringList names;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(QLatin1String(".tessaly-")) || name.endsWith(QLatin1String("_exiftool_tmp"))
            || name.endsWith(QLatin1String("_original")))
            names.append(name);
    }
    return names;
}

QByteArray everythingIn(const QString &path)
{
    QByteArray bytes = TestFiles::readAll(path);
    if (path.endsWith(QLatin1String(".pdf")))
        bytes += expandedPdf(path);
    return bytes;
}

QByteArray linkText(const QString &link)
{
    char buffer[4096];
    const ssize_t size = ::readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return size < 0 ? QByteArray() : QByteArray(buffer, size);
}

QString describeError(const Expected<Success> &result)
{
    return result ? QString() : describe(result.error());
}

// Cleans a new file with the tools in `resources`: the clean must fail with
// `message` and leave the file, and its folder, exactly as they were.
void expectUntouchedFailure(const QString &resources, const QString &media, const QString &extension,
                            const QString &message)
{
    QDir().mkpath(media);
    const QString path = makeFile(media, extension);
    const QByteArray original = TestFiles::readAll(path);

    ServiceOptions options;
    options.resourceDirectory = resources;
    const auto stripped = ExifToolService::create(options).value().stripMetadata(QUrl::fromLocalFile(path));
    QVERIFY(!stripped);
    QVERIFY2(describe(stripped.error()).contains(message), qPrintable(describe(stripped.error())));
    QCOMPARE(TestFiles::readAll(path), original);
    QCOMPARE(leftovers(media), QStringList());
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
        const QString path = makeFile(dir.path(), extension);
        const QList<QByteArray> planted = plantedIn(extension);
        // Checks of a file that never held the marks prove nothing.
        QCOMPARE(found(everythingIn(path), planted), planted);
        const MetadataTable before = read(path);
        QVERIFY2(!identifyingKeysIn(before).isEmpty(), "the fixture carries no identifying tags");
        const QByteArray renderedBefore = rendering(path);
        QVERIFY(!renderedBefore.isEmpty());
        const QByteArray profileBefore = iccProfile(path);

        const auto stripped = bundledService().stripMetadata(QUrl::fromLocalFile(path));
        QVERIFY2(stripped, qPrintable(describeError(stripped)));

        QCOMPARE(found(everythingIn(path), planted), QList<QByteArray>());
        const MetadataTable after = read(path);
        QCOMPARE(identifyingKeysIn(after), QStringList());
        QCOMPARE(rendering(path), renderedBefore);
        // A turned photo stays turned; a profile stays (a raw's with it).
        QCOMPARE(after.value("Orientation"), before.value("Orientation"));
        QCOMPARE(iccProfile(path), profileBefore);
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    // The table above only proves "unchanged": here, that there was something to keep.
    void photosKeepTheirProfileAndTurn_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"jpg", "png", "webp", "heic"})
            QTest::newRow(extension) << QString::fromLatin1(extension);
    }

    void photosKeepTheirProfileAndTurn()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = makePhoto(dir.path(), extension);
        QVERIFY(bundledService().stripMetadata(QUrl::fromLocalFile(path)));
        const MetadataTable after = read(path);
        QCOMPARE(after.value("Orientation"), "Rotate 90 CW");
        QCOMPARE(after.value("ProfileDescription"), "Display P3");
    }

    void pdfCannotBeRestoredAndHasNoInfoOrXmp()
    {
        QTemporaryDir dir;
        const QString path = makePdf(dir.path());
        QVERIFY(bundledService().stripMetadata(QUrl::fromLocalFile(path)));

        QCOMPARE(run("qpdf", {"--show-object=trailer", path}).contains("/Info"), false);
        QCOMPARE(run("qpdf", {"--show-object=1", path}).contains("/Metadata"), false);
        run("qpdf", {"--check", path});

        // exiftool's own undo of its PDF edits finds nothing to bring back.
        const QString copy = dir.filePath("copy.pdf");
        QFile::copy(path, copy);
        QProcess undo;
        undo.start(program("exiftool"), {"-PDF-update:all=", "-overwrite_original", copy});
        QVERIFY(undo.waitForFinished(60000));
        QCOMPARE(found(everythingIn(copy), plantedIn("pdf")), QList<QByteArray>());
        QCOMPARE(identifyingKeysIn(read(copy)), QStringList());
    }

    void pdfAndMatroskaKeepTheirPermissions_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("pdf") << "pdf";
        QTest::newRow("mkv") << "mkv";
    }

    void pdfAndMatroskaKeepTheirPermissions()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = makeFile(dir.path(), extension);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0604), 0);
        QVERIFY(bundledService().stripMetadata(QUrl::fromLocalFile(path)));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0604));
    }

    void passwordProtectedPdfIsAnErrorAndUntouched()
    {
        QTemporaryDir dir;
        const QString open = makePdf(dir.path(), "open.pdf");
        const QString path = dir.filePath("locked.pdf");
        run("qpdf", {"--encrypt", "user-secret", "owner-secret", "256", "--", open, path});
        const QByteArray original = TestFiles::readAll(path);

        const auto stripped = bundledService().stripMetadata(QUrl::fromLocalFile(path));
        QVERIFY(!stripped);
        const QString message = describe(stripped.error());
        QVERIFY2(message.startsWith("ExifTool: ") && message.contains("password", Qt::CaseInsensitive),
                 qPrintable(message));
        // The user reads about their file, not the copy it was tried on.
        QVERIFY2(!message.contains(".tessaly-") && message.contains("locked.pdf"), qPrintable(message));
        QCOMPARE(TestFiles::readAll(path), original);
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    void matroskaKeepsItsFontsOnly()
    {
        QTemporaryDir dir;
        const QString path = makeMatroska(dir.path());
        QVERIFY(bundledService().stripMetadata(QUrl::fromLocalFile(path)));
        const QByteArray names = run("exiftool", {"-a", "-s3", "-AttachedFileName", path});
        QCOMPARE(names, "face.ttf\n");
    }

    // mkvpropedit edits in place; whatever it does to the file before failing
    // must not reach the user's file.
    void failingMatroskaEditLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QByteArray>("mkvpropedit"); // empty: not installed
        QTest::addColumn<QString>("expectedMessage");
        QTest::newRow("missing") << QByteArray() << "mkvpropedit is missing";
        QTest::newRow("fails after damaging its file")
            << QByteArray("#!/bin/sh\n: > \"$1\"\necho 'Error: simulated failure'\nexit 2\n")
            << "mkvpropedit: Error: simulated failure";
        QTest::newRow("warns") << QByteArray("#!/bin/sh\necho 'Warning: simulated'\nexit 1\n")
                               << "mkvpropedit: Warning: simulated";
    }

    void failingMatroskaEditLeavesTheFileAsItWas()
    {
        QFETCH(QByteArray, mkvpropedit);
        QFETCH(QString, expectedMessage);
        QTemporaryDir dir;
        const QString resources = dir.filePath("resources");
        QDir().mkpath(resources);
        QVERIFY(QFile::link(TestFiles::bundledExifTool(), resources + "/exiftool"));
        QVERIFY(QFile::link(TestFiles::resourceDirectory() + "/lib", resources + "/lib"));
        if (!mkvpropedit.isEmpty()) {
            QFile tool(resources + "/mkvpropedit");
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write(mkvpropedit);
            tool.close();
            tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        expectUntouchedFailure(resources, dir.filePath("media"), "mkv", expectedMessage);
    }

    // exiftool's edit and the rewrite work on a copy: a PDF that cannot be
    // rewritten after the edit is left exactly as it was.
    void failedPdfRewriteLeavesTheFileAsItWas()
    {
        QTemporaryDir dir;
        const QString resources = dir.filePath("resources");
        writeFakeTool(resources, "for p; do :; done; printf 'not a pdf any more' > \"$p\"");
        expectUntouchedFailure(resources, dir.filePath("media"), "pdf", "could not be rewritten");
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
        const QString files = dir.filePath("files");
        const QString links = dir.filePath("links");
        QDir().mkpath(files);
        QDir().mkpath(links);
        const QString path = makeFile(files, extension);
        const QString link = links + "/shortcut." + extension;
        const QString pointsTo = "../files/" + QFileInfo(path).fileName();
        QVERIFY(QFile::link(pointsTo, link));

        const auto stripped = bundledService().stripMetadata(QUrl::fromLocalFile(link));
        QVERIFY2(stripped, qPrintable(describeError(stripped)));

        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(linkText(link), QFile::encodeName(pointsTo));
        QCOMPARE(found(everythingIn(path), plantedIn(extension)), QList<QByteArray>());
        QCOMPARE(QDir(links).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(link).fileName()});
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
        const QString made = makeFile(dir.path(), madeAs);
        const QString path = dir.filePath("renamed." + namedAs);
        QVERIFY(QFile::rename(made, path));
        const QByteArray original = TestFiles::readAll(path);

        const auto stripped = bundledService().stripMetadata(QUrl::fromLocalFile(path));
        QVERIFY(!stripped);
        QVERIFY(std::holds_alternative<CleanError>(stripped.error()));
        QVERIFY2(describe(stripped.error()).contains("." + namedAs), qPrintable(describe(stripped.error())));
        QCOMPARE(TestFiles::readAll(path), original);
    }
};

QTEST_GUILESS_MAIN(tst_StripSoundness)
#include "tst_stripsoundness.moc"
