#include <ExifToolService.h>
#include <ToolLocator.h>
#include <Translations.h>

#include <FakeTool.h>
#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace std::chrono_literals;

namespace {

Expected<ExifToolService> serviceIn(const QString &directory, RunLimits limits = {})
{
    ServiceOptions options;
    options.resourceDirectory = directory;
    options.limits = limits;
    return ExifToolService::create(options);
}

QUrl fileIn(const QTemporaryDir &dir, const QString &name, const QByteArray &content = "original bytes")
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return QUrl::fromLocalFile(path);
}

} // namespace

class tst_ExifToolService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void errorDescriptions()
    {
        QCOMPARE(ExifToolError::processError("").description(), "ExifTool: ");
        QCOMPARE(ExifToolError::processError("Error: x\n").description(), "ExifTool: Error: x\n");
        QCOMPARE(ExifToolError::parseError().description(), "Failed to parse ExifTool output");
        QCOMPARE(ExifToolError::timeout().description(), "ExifTool process timed out");
        QCOMPARE(ExifToolError::binaryNotFound().description(), qtTrId("exiftool_not_found"));
        // The English table is loaded: the user sees a sentence, not the key.
        QVERIFY(ExifToolError::binaryNotFound().description() != "exiftool_not_found");
        QVERIFY(ExifToolError::binaryNotFound().description().contains("ExifTool"));
    }

    void missingToolIsBinaryNotFound()
    {
        QTemporaryDir empty;
        const auto service = serviceIn(empty.path());
        QVERIFY(!service);
        QVERIFY(isToolError(service.error(), ExifToolError::Case::binaryNotFound));

        // A folder named exiftool is not the tool either.
        QDir(empty.path()).mkdir("exiftool");
        QVERIFY(!serviceIn(empty.path()));
    }

    void defaultLocationIsBesideTheExecutable()
    {
        const QString expected = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/tessaly");
        QCOMPARE(ToolLocator::defaultResourceDirectory(), expected);
        const auto service = ExifToolService::create();
        QVERIFY(service);
        QCOMPARE(service.value().exiftoolPath(), expected + "/exiftool");
    }

    // What the runner hands back for each way a tool can end.
    void runnerOutcomes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("expectedError"); // empty: success
        QTest::addColumn<int>("expectedTags");

        QTest::newRow("exit 1, one stderr line keeps its line break")
            << QByteArray("echo 'Error: File not found - x.jpg' >&2; exit 1") << "ExifTool: Error: File not found - x.jpg\n" << 0;
        QTest::newRow("exit 2, stderr not UTF-8")
            << QByteArray("printf '\\377\\376bad' >&2; exit 2") << "ExifTool: Unknown error" << 0;
        QTest::newRow("exit 1 without stderr still says what happened")
            << QByteArray("exit 1") << "ExifTool: exiftool failed with exit status 1" << 0;
        QTest::newRow("stderr with exit 0 is success")
            << QByteArray("echo 'Warning: minor' >&2; echo '[{\"SourceFile\":\"x\",\"A\":\"1\"}]'") << "" << 1;
        QTest::newRow("bare object") << QByteArray("echo '{\"A\":1}'") << "Failed to parse ExifTool output" << 0;
        QTest::newRow("empty array") << QByteArray("echo '[]'") << "Failed to parse ExifTool output" << 0;
        QTest::newRow("two objects, first only")
            << QByteArray("echo '[{\"A\":1,\"B\":2},{\"C\":3}]'") << "" << 2;
        QTest::newRow("sourcefile in other case is a tag")
            << QByteArray("echo '[{\"SourceFile\":\"x\",\"SOURCEFILE\":\"y\"}]'") << "" << 1;
        QTest::newRow("killed by a signal")
            << QByteArray("kill -SEGV $$") << "ExifTool: exiftool stopped unexpectedly (it crashed or was killed)" << 0;
    }

    void runnerOutcomes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expectedError);
        QFETCH(int, expectedTags);

        QTemporaryDir dir;
        writeFakeTool(dir.path(), script);
        const auto service = serviceIn(dir.path());
        QVERIFY(service);
        const auto table = service.value().readMetadata(fileIn(dir, "a.jpg"));
        if (expectedError.isEmpty()) {
            QVERIFY2(table, qPrintable(table ? QString() : describe(table.error())));
            QCOMPARE(table.value().size(), expectedTags);
        } else {
            QVERIFY(!table);
            QCOMPARE(describe(table.error()), expectedError);
        }
    }

    void noOutputIsTheJsonReadersError()
    {
        QTemporaryDir dir;
        writeFakeTool(dir.path(), "exit 0");
        const auto table = serviceIn(dir.path()).value().readMetadata(fileIn(dir, "a.jpg"));
        QVERIFY(!table);
        QVERIFY(std::holds_alternative<JsonSyntaxError>(table.error()));

        // A strip whose tool prints nothing and exits 0 succeeds.
        QVERIFY(serviceIn(dir.path()).value().stripMetadata(fileIn(dir, "a.jpg")));
    }

    void toolThatCannotStartIsALaunchError()
    {
        QTemporaryDir dir;
        writeFakeTool(dir.path(), "echo '[{}]'", /*executable=*/false);
        const auto service = serviceIn(dir.path());
        QVERIFY(service); // creation does not look at permissions
        const auto table = service.value().readMetadata(fileIn(dir, "a.jpg"));
        QVERIFY(!table);
        QVERIFY(std::holds_alternative<LaunchError>(table.error()));
        QVERIFY(!describe(table.error()).isEmpty());
    }

    void argumentsAreTheContractAndThePathIsAbsolute()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("args.log");
        writeFakeTool(dir.path(), "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + QFile::encodeName(log)
                                      + "'; done; echo '[{}]'");
        const auto service = serviceIn(dir.path());
        // A name that looks like an option reaches the tool as an absolute path.
        const QUrl url = fileIn(dir, "-all=.jpg");
        QVERIFY(service.value().readMetadata(url));
        QVERIFY(service.value().stripMetadata(url));
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        // A photo keeps its orientation and colour profile: the path stays last.
        QCOMPARE(QString::fromUtf8(TestFiles::readAll(log)),
                 "-all\n-j\n" + path + "\n-all=\n-overwrite_original\n--ICC_Profile:all\n-tagsFromFile\n@\n"
                 "-Orientation\n" + path + "\n");
        QVERIFY(path.startsWith('/'));
    }

    void hungStripIsStoppedAndLeavesTheFileAsItWas()
    {
        QTemporaryDir dir;
        // Like exiftool: start writing the cleaned copy beside the file, then hang.
        writeFakeTool(dir.path(), "for p; do :; done; printf partial > \"${p}_exiftool_tmp\"; exec sleep 30");
        const QUrl url = fileIn(dir, "photo.jpg", "untouched");
        const auto service = serviceIn(dir.path(), RunLimits{300ms, 0ms});

        QElapsedTimer clock;
        clock.start();
        const auto stripped = service.value().stripMetadata(url);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!stripped);
        QVERIFY(isToolError(stripped.error(), ExifToolError::Case::timeout));
        QCOMPARE(describe(stripped.error()), "ExifTool process timed out");
        QCOMPARE(TestFiles::readAll(url.toLocalFile()), "untouched");
        QVERIFY(!QFile::exists(url.toLocalFile() + "_exiftool_tmp"));
    }

    void temporaryFileOfAnotherRunIsNotOursToDelete()
    {
        QTemporaryDir dir;
        writeFakeTool(dir.path(), "exec sleep 30");
        const QUrl url = fileIn(dir, "photo.jpg", "untouched");
        QFile leftover(url.toLocalFile() + "_exiftool_tmp");
        leftover.open(QIODevice::WriteOnly);
        leftover.write("from an earlier crash");
        leftover.close();

        const auto stripped = serviceIn(dir.path(), RunLimits{200ms, 0ms}).value().stripMetadata(url);
        QVERIFY(!stripped);
        QCOMPARE(TestFiles::readAll(leftover.fileName()), "from an earlier crash");
    }

    void hugeOutputDoesNotStall()
    {
        QTemporaryDir dir;
        // ~50 MB on stdout and a little on stderr: far past any pipe buffer.
        writeFakeTool(dir.path(),
                      "printf '[{\"Big\":\"'; head -c 50000000 /dev/zero | tr '\\0' 'a'; printf '\"}]'; "
                      "head -c 200000 /dev/zero >&2");
        const auto service = serviceIn(dir.path(), RunLimits{60s, 0ms});
        const auto table = service.value().readMetadata(fileIn(dir, "a.jpg"));
        QVERIFY2(table, qPrintable(table ? QString() : describe(table.error())));
        QCOMPARE(table.value().value("Big").size(), 50000000);
    }

    void timeLimitGrowsWithFileSize()
    {
        const RunLimits limits;
        QCOMPARE(limits.forFileSize(0), RunLimits::defaultBase);
        QCOMPARE(limits.forFileSize(1), RunLimits::defaultBase + RunLimits::defaultPerMebibyte);
        QCOMPARE(limits.forFileSize(qint64(1) << 30), RunLimits::defaultBase + 1024 * RunLimits::defaultPerMebibyte);
    }

    // The bundled exiftool on real files: read, strip, read again.
    void realToolCleansRealFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("jpeg") << "jpeg";
        QTest::newRow("png") << "png";
    }

    void realToolCleansRealFiles()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = kind == "jpeg" ? TestFiles::makeJpegWithMetadata(dir.path())
                                            : TestFiles::makePngWithMetadata(dir.path());
        const QUrl url = QUrl::fromLocalFile(path);
        const auto service = ExifToolService::create();
        QVERIFY(service);

        const auto before = service.value().readMetadata(url);
        QVERIFY(before);
        if (kind == "jpeg") {
            QCOMPARE(before.value().value("Artist"), "Jane Marker");
            QCOMPARE(before.value().value("SerialNumber"), "SN-424242");
            QVERIFY(before.value().contains("GPSLatitude"));
            QCOMPARE(before.value().value("Creator"), "Jane Marker");
        } else {
            QCOMPARE(before.value().value("Author"), "Jane Marker");
            QCOMPARE(before.value().value("Comment"), "secret comment");
        }
        QVERIFY(!before.value().contains("SourceFile"));

        QVERIFY(service.value().stripMetadata(url));

        const auto after = service.value().readMetadata(url);
        QVERIFY(after);
        for (const char *key : {"Artist", "SerialNumber", "GPSLatitude", "GPSLongitude", "Creator", "Author", "Comment"})
            QVERIFY2(!after.value().contains(key), key);
        QVERIFY(!TestFiles::readAll(path).contains("Jane Marker"));
        QVERIFY(!QFile::exists(path + "_original"));
        QVERIFY(!QFile::exists(path + "_exiftool_tmp"));
    }
};

QTEST_GUILESS_MAIN(tst_ExifToolService)
#include "tst_exiftoolservice.moc"
