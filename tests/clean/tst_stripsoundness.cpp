// What a clean leaves in the file itself: files of every kind, with marker
// strings planted, are cleaned through the service with the bundled tools,
// then searched byte by byte and opened again.

#include <FileCleaner.h>
#include <FileItem.h>
#include <OneShotRunner.h>
#include <StayOpenRunner.h>

#include <FakeTool.h>
#include <Cleaning.h>
#include <Fixtures.h>
#include <MoreFixtures.h>
#include <OfficeFixtures.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Cleaning;
using namespace Fixtures;

namespace {

CleanResult strip(const QString &path)
{
    return cleanWith(ToolPaths::installed(), path);
}

MetadataTable read(const QString &path)
{
    const auto table = ExifToolService(ToolPaths::installed(), runner()).readMetadata(path);
    if (!table)
        qFatal("cannot read %s: %s", qPrintable(path), qPrintable(describe(table.error())));
    return ungrouped(table.value());
}

QByteArray attribute(const QString &path, const char *name)
{
    char value[256];
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return size < 0 ? QByteArray() : QByteArray(value, size);
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
             || QStringList {"Artist", "Author", "Creator", "Title", "Copyright", "DateTimeOriginal",
                             "ProfileDateTime", "ProfileCopyright"}.contains(key))
            && !value.isEmpty() && value.count(QRegularExpression("[1-9A-Za-z]")) > 0)
            keys.append(key + "=" + value);
    }
    return keys;
}

} // namespace

class tst_StripSoundness : public QObject
{
    Q_OBJECT

private slots:
    void everyKindIsCleanAndLooksTheSame_data()
    {
        QTest::addColumn<QString>("extension");
        for (const QString &extension : kinds + MoreFixtures::kinds)
            QTest::newRow(qPrintable(extension)) << extension;
    }

    void everyKindIsCleanAndLooksTheSame()
    {
        QFETCH(QString, extension);
        if (OfficeFixtures::kinds.contains(extension) && OfficeFixtures::needsLibreOffice(extension)
            && !OfficeFixtures::haveLibreOffice())
            QSKIP("LibreOffice (soffice) is not installed: scripts/deps.sh test installs it");
        QTemporaryDir dir;
        const QString path = make(dir.path(), extension);
        const QList<QByteArray> marks = planted(extension);
        // Checks of a file that never held the marks prove nothing.
        QCOMPARE(found(everythingIn(path), marks), marks);
        const MetadataTable before = read(path);
        QVERIFY2(!identifyingKeysIn(before).isEmpty(), "the fixture carries no identifying tags");
        const QByteArray renderedBefore = rendering(path);
        QVERIFY(!renderedBefore.isEmpty());
        // A colour profile keeps its colours; its date, maker and copyright go.
        const QStringList colourTags {"-s3", "-ICC_Profile:ProfileDescription", "-ICC_Profile:RedMatrixColumn",
                                      "-ICC_Profile:GreenMatrixColumn", "-ICC_Profile:BlueMatrixColumn",
                                      "-ICC_Profile:MediaWhitePoint", "-ICC_Profile:ChromaticAdaptation"};
        const QByteArray coloursBefore = run("exiftool", colourTags + QStringList {path});
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0604), 0);
        const QByteArray fileNumberBefore = run("exiftool", {"-s3", "-Canon:FileNumber", path});
        const auto segmentUid = [&] {
            if (extension != "mkv")
                return QByteArray();
            const QByteArray info = run("mkvinfo", {path});
            return info.mid(info.indexOf("Segment UID"), 80);
        };
        const QByteArray segmentBefore = segmentUid();
        // Where a browser saved it from goes; other attributes stay.
        const QByteArray encodedPath = QFile::encodeName(path);
        QCOMPARE(::setxattr(encodedPath.constData(), "user.xdg.origin.url", "https://example.org/x", 21, 0), 0);
        QCOMPARE(::setxattr(encodedPath.constData(), "user.xdg.publisher", "Example Browser", 15, 0), 0);
        QCOMPARE(::setxattr(encodedPath.constData(), "user.note", "keep", 4, 0), 0);
        // Tags no marker names: the fixtures of these kinds carry them.
        static const QStringList quietTags{"ImageUniqueID", "SubSecTimeOriginal", "OffsetTimeOriginal",
                                           "LensSerialNumber", "XPAuthor", "UserComment"};
        const bool tiffRaw = QStringList{"cr2", "dng", "nef", "arw"}.contains(extension);
        if (tiffRaw) {
            for (const QString &tag : quietTags)
                QVERIFY2(!before.value(tag).isEmpty(), qPrintable(tag + " is not in the fixture"));
        }

        QCOMPARE(errorOf(strip(path)), QString());
        QCOMPARE(attribute(path, "user.xdg.origin.url"), QByteArray());
        QCOMPARE(attribute(path, "user.xdg.publisher"), QByteArray());
        QCOMPARE(attribute(path, "user.note"), QByteArray("keep"));

        QCOMPARE(found(everythingIn(path), marks), QList<QByteArray>());
        const MetadataTable after = read(path);
        // An e-book's title and author are the book's own.
        const QStringList ownMetadata {"Creator=" + QString(OfficeFixtures::bookAuthor), "Title=" + QString(OfficeFixtures::bookTitle)};
        QStringList leftAfter = identifyingKeysIn(after);
        leftAfter.sort();
        QCOMPARE(leftAfter, extension != "epub" ? QStringList() : ownMetadata);
        for (const QString &tag : quietTags)
            QVERIFY2(!tiffRaw || !after.contains(tag), qPrintable(tag + " = " + after.value(tag)));
        QCOMPARE(rendering(path), renderedBefore);
        // A turned photo stays turned (WebP and HEIF viewers ignore the EXIF
        // block: HEIF turns its pictures by a property of its own, which
        // stays); a profile stays (a raw's with it).
        const bool exifTurnsIt = extension != "webp" && extension != "heic";
        QCOMPARE(after.value("Orientation"), exifTurnsIt ? before.value("Orientation") : QString());
        QCOMPARE(run("exiftool", colourTags + QStringList {path}), coloursBefore);
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0604));
        QCOMPARE(leftovers(dir.path()), QStringList());
        if (QStringList {"jpg", "png", "webp", "heic"}.contains(extension)) {
            // "Unchanged" above; here, that there was something to keep.
            QCOMPARE(after.value("Orientation"), exifTurnsIt ? "Rotate 90 CW" : "");
            QCOMPARE(after.value("ProfileDescription"), "Display P3");
        } else if (extension == "mkv") {
            QCOMPARE(run("exiftool", {"-a", "-s3", "-AttachedFileName", path}), "font-1.ttf\n"); // fonts only, named alike
            // A random ID per file would tie the shared copy to the original.
            QVERIFY(segmentBefore.startsWith("Segment UID: 0x"));
            QVERIFY(segmentUid() != segmentBefore);
            QCOMPARE(run("exiftool", {"-s3", "-MuxingApp", "-WritingApp", path}), "Tessaly\nTessaly\n");
        } else if (extension == "cr2") {
            QCOMPARE(fileNumberBefore, "100-5952\n"); // a shot counter of one camera body
            QVERIFY(!run("exiftool", {"-s3", "-Canon:FileNumber", path}).contains("5952"));
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

    // The edit works on a copy: a tool that fails, even after damaging its
    // file, or a PDF that cannot be rewritten after it, leaves the file and
    // its folder exactly as they were. A file whose name promises another
    // kind is refused before that: it would get a plan that leaves it
    // uncleaned (a raw or PDF as a photo) or fails half-way.
    void failedOrRefusedEditLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("madeAs");
        QTest::addColumn<QString>("namedAs");
        QTest::addColumn<QString>("tool");       // replaced by `script`
        QTest::addColumn<QByteArray>("script");  // empty: the tool is missing
        QTest::addColumn<QString>("message");
        // The PDF helper is asked first whether the file is locked.
        const QByteArray pdfFirstLook = "[ \"$1\" = --needs-password ] && exit 0\n";
        QTest::newRow("mkvpropedit missing") << "mkv" << "mkv" << "mkvpropedit" << QByteArray() << "mkvpropedit is missing";
        QTest::newRow("mkvpropedit fails after damaging its file")
            << "mkv" << "mkv" << "mkvpropedit" << QByteArray(": > \"$1\"\necho 'Error: simulated failure'\nexit 2")
            << "mkvpropedit: Error: simulated failure";
        QTest::newRow("mkvpropedit warns") << "mkv" << "mkv" << "mkvpropedit" << QByteArray("echo 'Warning: simulated'\nexit 1")
                                           << "mkvpropedit: Warning: simulated";
        QTest::newRow("pdf cleaner writes something unreadable")
            << "pdf" << "pdf" << "tessaly-pdf-clean"
            << (pdfFirstLook + "printf 'not a pdf any more' > \"$2\"\necho '{\"kept\":[],\"removed\":[]}'")
            << "did not pass its check";
        QTest::newRow("pdf cleaner finds metadata left")
            << "pdf" << "pdf" << "tessaly-pdf-clean"
            << (pdfFirstLook + "cp \"$1\" \"$2\"\necho 'metadata stayed in the cleaned PDF: /Info' >&2\nexit 7")
            << "metadata stayed in the cleaned PDF: /Info";
        QTest::newRow("pdf cleaner says nothing") << "pdf" << "pdf" << "tessaly-pdf-clean"
                                                  << (pdfFirstLook + "cp \"$1\" \"$2\"") << "no report";
        QTest::newRow("pdf cleaner crashes") << "pdf" << "pdf" << "tessaly-pdf-clean" << QByteArray("kill -SEGV $$")
                                             << "stopped unexpectedly";
        for (const auto &[made, named] : {std::pair{"pdf", "jpg"}, {"dng", "jpg"}, {"mkv", "mp4"}, {"jpg", "cr2"}, {"jpg", "pdf"}, {"gif", "png"}, {"orf", "tif"}, {"jpg", "rw2"}})
            QTest::addRow("%s named %s", made, named) << made << named << QString() << QByteArray() << QString(".") + named;
        // exiftool takes anything named .mp3 for one: the writer finds no frame.
        for (const auto &[made, named, says] : {std::tuple{"wav", "mp3", "no MPEG audio frame"}, {"mp3", "flac", "not a FLAC"},
                                                {"flac", "ogg", "not a OGG"}, {"ogg", "wav", "not a WAV"}, {"jpg", "svg", "not a SVG"}})
            QTest::addRow("%s named %s", made, named) << made << named << QString() << QByteArray() << QString(says);
    }

    void failedOrRefusedEditLeavesTheFileAsItWas()
    {
        QFETCH(QString, madeAs);
        QFETCH(QString, namedAs);
        QFETCH(QString, tool);
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString resources = dir.filePath("resources"), media = dir.filePath("media");
        QVERIFY(QDir().mkpath(resources) && QDir().mkpath(media));
        if (!tool.isEmpty()) {
            // writeFakeTool writes an exiftool: moved to stand for another tool.
            if (!script.isEmpty() && writeFakeTool(resources, script) != resources + "/" + tool)
                QVERIFY(QFile::rename(resources + "/exiftool", resources + "/" + tool));
            QVERIFY(QFile::link(Fixtures::program("exiftool"), resources + "/exiftool"));
            QVERIFY(QFile::link(Fixtures::resourceDirectory() + "/lib", resources + "/lib"));
        }
        const QString path = media + "/renamed." + namedAs;
        QVERIFY(QFile::rename(make(media, madeAs), path));
        const QByteArray original = Fixtures::readAll(path);

        const QString error = errorOf(cleanWith(tool.isEmpty() ? ToolPaths::installed() : ToolPaths::inFolder(resources), path));
        QVERIFY2(!error.isEmpty() && error.contains(message), qPrintable(error));
        QCOMPARE(Fixtures::readAll(path), original);
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

    // Nothing to rewrite inside, but the download origin goes all the same.
    void downloadOriginGoesFromAFileWithoutMetadata()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bare.png");
        QVERIFY(Fixtures::writeImage(path, "PNG"));
        const QByteArray encodedPath = QFile::encodeName(path);
        QCOMPARE(::setxattr(encodedPath.constData(), "user.xdg.referrer.url", "https://example.org", 19, 0), 0);
        QCOMPARE(errorOf(strip(path)), QString());
        QCOMPARE(attribute(path, "user.xdg.referrer.url"), QByteArray());
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    // Both ways to clean, with and without the original's date, on real files.
    void cleanedCopyOrInPlace_data()
    {
        QTest::addColumn<bool>("keepOriginal");
        QTest::addColumn<bool>("keepDate");
        QTest::addColumn<QString>("name");
        QTest::newRow("in place") << false << false << "photo.jpg";
        QTest::newRow("in place, date kept") << false << true << "photo.jpg";
        QTest::newRow("copy") << true << false << "photo.jpg";
        QTest::newRow("copy, date kept") << true << true << "photo.jpg";
        QTest::newRow("copy of a cleaned copy is cleaned in place") << true << false << "photo (cleaned).jpg";
    }

    void cleanedCopyOrInPlace()
    {
        QFETCH(bool, keepOriginal);
        QFETCH(bool, keepDate);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = make(dir.path(), "jpg", name);
        const QDateTime lastMonth = QDateTime::currentDateTimeUtc().addDays(-30);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(lastMonth, QFileDevice::FileModificationTime));
        }
        const QByteArray original = Fixtures::readAll(path);
        const bool copies = keepOriginal && !name.contains("(cleaned)");
        if (copies) // an earlier copy is never overwritten: the next number is taken
            QVERIFY(QFile::copy(path, dir.filePath("photo (cleaned).jpg")));
        const QByteArray earlierCopy = copies ? Fixtures::readAll(dir.filePath("photo (cleaned).jpg")) : QByteArray();

        const CleanResult result = cleanWith(ToolPaths::installed(), path, {keepOriginal, keepDate, {}});
        QCOMPARE(errorOf(result), QString());

        const QString cleaned = copies ? dir.filePath("photo (cleaned 2).jpg") : path;
        QCOMPARE(result.cleanedCopyUrl, copies ? QUrl::fromLocalFile(cleaned) : QUrl());
        QCOMPARE(found(Fixtures::readAll(cleaned), planted("jpg")), QList<QByteArray>());
        // The log lists what the file carries, not what the file system says of it.
        for (const MetadataTable &table : {result.metadataBefore.unpack(), result.metadataAfter.unpack()})
            QVERIFY(table.keys().filter(QRegularExpression("^System:|FileModifyDate|FileName")).isEmpty());
        if (copies) {
            QCOMPARE(Fixtures::readAll(path), original);
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), lastMonth);
            QCOMPARE(Fixtures::readAll(dir.filePath("photo (cleaned).jpg")), earlierCopy);
        }
        const QDateTime modified = QFileInfo(cleaned).lastModified().toUTC();
        QVERIFY2(keepDate ? modified == lastMonth : modified > lastMonth.addDays(29), qPrintable(modified.toString()));
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    // A rename reaches the disk before the data it names may: without a
    // flush first, a power cut right after it can leave an empty file where
    // the photo was. The system calls of the thread that cleans show the order.
    void versionReachesTheDiskBeforeItsRename_data()
    {
        QTest::addColumn<bool>("keepOriginal");
        QTest::newRow("in place") << false; // every kind takes one of these two ways
        QTest::newRow("copy") << true;
    }

    void versionReachesTheDiskBeforeItsRename()
    {
        QFETCH(bool, keepOriginal);
        QTemporaryDir dir;
        const QString path = make(dir.path(), "jpg");
        ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY);
        const QString log = dir.filePath("calls.log");
        QProcess tracer;
        tracer.start("strace", {"-y", "-e", "trace=fsync,fdatasync,rename,renameat,renameat2", "-o", log, "-p",
                                QString::number(::getpid())});
        if (!tracer.waitForStarted())
            QSKIP("strace is not installed: the order of the calls cannot be seen");
        QDeadlineTimer attached(20000);
        while (!tracer.readAllStandardError().contains("attached") && tracer.state() == QProcess::Running
               && !attached.hasExpired())
            tracer.waitForReadyRead(100);
        if (tracer.state() != QProcess::Running)
            QSKIP("strace may not trace this process here (no ptrace in this container)");

        const CleanResult result = cleanWith(ToolPaths::installed(), path, {keepOriginal, false, {}});
        tracer.terminate();
        QVERIFY(tracer.waitForFinished(20000));
        QCOMPARE(errorOf(result), QString());

        const QStringList calls = QString::fromUtf8(Fixtures::readAll(log)).split(u'\n');
        static const QRegularExpression move(QStringLiteral("^rename\\w*\\((?:AT_FDCWD(?:<[^>]*>)?, )?\"([^\"]*\\.tessaly-staging-[^\"]*)\", (?:AT_FDCWD(?:<[^>]*>)?, )?\"([^\"]*)\""));
        qsizetype moved = -1;
        QString staged;
        for (qsizetype i = 0; i < calls.size() && moved < 0; ++i) {
            const auto match = move.match(calls[i]);
            if (match.hasMatch() && !match.captured(2).contains(".tessaly-staging-") && calls[i].endsWith("= 0")) {
                moved = i;
                staged = match.captured(1);
            }
        }
        QVERIFY2(moved >= 0, qPrintable("no move into place among:\n" + calls.join(u'\n')));
        const auto flushed = std::find_if(calls.cbegin(), calls.cbegin() + moved, [&](const QString &call) {
            return (call.startsWith("fsync(") || call.startsWith("fdatasync(")) && call.contains("<" + staged + ">")
                   && call.endsWith("= 0");
        });
        QVERIFY2(flushed != calls.cbegin() + moved, qPrintable("not flushed before its rename:\n" + calls.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(tst_StripSoundness)
#include "tst_stripsoundness.moc"
