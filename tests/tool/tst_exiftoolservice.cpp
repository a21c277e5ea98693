#include <ExifToolService.h>
#include <OneShotRunner.h>
#include <Translations.h>

#include <FakeTool.h>
#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

OneShotRunner oneShot;

ExifToolService serviceIn(const QString &directory, RunLimits limits = {})
{
    return ExifToolService(ToolPaths::inFolder(directory), oneShot, limits);
}

QUrl fileIn(const QTemporaryDir &dir, const QString &name, const QByteArray &content = "original bytes")
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return QUrl::fromLocalFile(file.fileName());
}

} // namespace

class tst_ExifToolService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    // The bundled tool is found beside the executable (the real tool's cleaning
    // is tst_stripsoundness'); no tool, or a folder in its place, is
    // binaryNotFound, described in words rather than by its key.
    void whereTheToolIsLookedFor()
    {
        QCOMPARE(ExifToolService(ToolPaths::installed(), oneShot).exiftoolPath().value(),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/tessaly/exiftool"));
        QTemporaryDir empty;
        const auto read = serviceIn(empty.path()).readMetadata(fileIn(empty, "a.jpg"));
        QVERIFY(!read);
        QVERIFY(isToolError(read.error(), ExifToolError::Case::binaryNotFound));
        QVERIFY(describe(read.error()) != "exiftool_not_found" && describe(read.error()).contains("ExifTool"));
        QDir(empty.path()).mkdir("exiftool");
        QVERIFY(!serviceIn(empty.path()).exiftoolPath());
    }

    // What the service makes of each way a tool can end: "N tags", or the error's variant index and
    // text. The JSON's shapes are tst_metadatajson's.
    void runnerOutcomes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exit 1, one stderr line keeps its line break")
            << QByteArray("echo 'Error: File not found - x.jpg' >&2; exit 1") << "0: ExifTool: Error: File not found - x.jpg\n";
        QTest::newRow("exit 2, stderr not UTF-8") << QByteArray("printf '\\377\\376bad' >&2; exit 2") << "0: ExifTool: Unknown error";
        QTest::newRow("exit 1 without stderr") << QByteArray("exit 1") << "0: ExifTool: exiftool failed with exit status 1";
        QTest::newRow("stderr with exit 0 is success")
            << QByteArray("echo 'Warning: minor' >&2; echo '[{\"SourceFile\":\"x\",\"A\":\"1\"}]'") << "1 tags";
        QTest::newRow("no output") << QByteArray("exit 0") << "2: The tool's output is not valid JSON: …";
        QTest::newRow("bare object") << QByteArray("echo '{\"A\":1}'") << "0: Failed to parse ExifTool output";
    }

    void runnerOutcomes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        writeFakeTool(dir.path(), script);
        const auto table = serviceIn(dir.path()).readMetadata(fileIn(dir, "a.jpg"));
        QString got = table ? QString("%1 tags").arg(table.value().size())
                            : QString::number(table.error().index()) + ": " + describe(table.error());
        if (expected.endsWith(u'…')) // the JSON reader's own detail follows
            got = got.left(expected.size() - 1) + u'…';
        QCOMPARE(got, expected);
    }

    void silentWriteSucceedsAndAToolThatCannotStartIsALaunchError()
    {
        QTemporaryDir dir;
        writeFakeTool(dir.path(), "exit 0");
        QVERIFY(serviceIn(dir.path()).writeCleanCopy(fileIn(dir, "a.jpg").toLocalFile(), dir.filePath("b.jpg"), {}));
        writeFakeTool(dir.path(), "echo '[{}]'", /*executable=*/false);
        const auto service = serviceIn(dir.path());
        QVERIFY(service.exiftoolPath()); // finding it does not look at permissions
        const auto table = service.readMetadata(fileIn(dir, "a.jpg"));
        QVERIFY(!table && std::holds_alternative<LaunchError>(table.error()));
        QVERIFY(!describe(table.error()).isEmpty());
    }

    void argumentsAreTheContractAndThePathIsAbsolute()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("args.log");
        writeFakeTool(dir.path(), "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + QFile::encodeName(log)
                                      + "'; done; echo '[{}]'");
        const auto service = serviceIn(dir.path());
        const QUrl url = fileIn(dir, "-all=.jpg");
        QVERIFY(service.readMetadata(url));
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        QVERIFY(service.writeCleanCopy(path, dir.filePath("out/-o.jpg"), {"-tagsFromFile", "@"}));
        // An option-like name arrives as an absolute path, last; the copy goes where -o says.
        QCOMPARE(QString::fromUtf8(TestFiles::readAll(log)),
                 "-all\n-j\n" + path + "\n-all=\n-tagsFromFile\n@\n-o\n" + dir.filePath("out/-o.jpg") + "\n"
                 + path + "\n");
    }

    // A hung run times out fast: a run that outlives its limit is stopped.
    void hungRunIsStopped()
    {
        QTemporaryDir dir;
        writeFakeTool(dir.path(), "exec sleep 30");
        QElapsedTimer clock;
        clock.start();
        const auto read = serviceIn(dir.path(), RunLimits{300ms, 0ms}).readMetadata(fileIn(dir, "photo.jpg"));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!read && isToolError(read.error(), ExifToolError::Case::timeout));
    }

    void hugeOutputDoesNotStall()
    {
        QTemporaryDir dir;
        // ~50 MB on stdout and a little on stderr: far past any pipe buffer.
        writeFakeTool(dir.path(),
                      "printf '[{\"Big\":\"'; head -c 50000000 /dev/zero | tr '\\0' 'a'; printf '\"}]'; "
                      "head -c 200000 /dev/zero >&2");
        const auto table = serviceIn(dir.path(), RunLimits{60s, 0ms}).readMetadata(fileIn(dir, "a.jpg"));
        QVERIFY2(table, qPrintable(table ? QString() : describe(table.error())));
        QCOMPARE(table.value().value("Big").size(), 50000000);
    }
};

QTEST_GUILESS_MAIN(tst_ExifToolService)
#include "tst_exiftoolservice.moc"
