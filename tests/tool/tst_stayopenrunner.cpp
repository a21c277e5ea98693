#include <ExifToolService.h>
#include <FileCleaner.h>
#include <FileItem.h>
#include <OneShotRunner.h>
#include <StayOpenRunner.h>

#include <FakeTool.h>
#include <TestFiles.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A stand-in speaking `-stay_open`. By the last argument: "hang" sleeps, "crash" dies by SIGKILL,
// "nonewline" fails with stderr lacking its line break; anything else prints JSON naming VERSION.
const QByteArray perlStandIn = R"(#!/usr/bin/perl
use strict; use warnings; $| = 1;
sub act {
    my $path = $_[-1];
    sleep 60 if $path =~ /hang/; kill 'KILL', $$ if $path =~ /crash/;
    print STDERR 'Warning: no line break' and return 1 if $path =~ /nonewline/;
    print qq([{"Version":"VERSION"}]\n) and return 0;
}
exit act(@ARGV) unless @ARGV == 4 and $ARGV[0] eq '-stay_open';
my @args;
while (defined(my $line = <STDIN>)) {
    $line =~ s/[\r\n]+$//;
    if ($line =~ s/^#\[CSTR\]//) { $line =~ s/\\(.)/$1 eq 'n' ? "\n" : $1 eq 'r' ? "\r" : $1/ge; }
    else { $line =~ s/^\s+//; next if $line eq '' or $line =~ /^#/; }
    exit 0 if $line eq 'False';
    if ($line =~ /^-execute(\d*)$/) {
        my ($n, %echo, @rest) = ($1, 3 => [], 4 => []);
        while (defined(my $arg = shift @args)) {
            if ($arg =~ /^-echo([34])$/) { push @{$echo{$1}}, shift @args; } else { push @rest, $arg; }
        }
        my $status = act(@rest);
        s/\$\{status\}/$status/g for @{$echo{3}}, @{$echo{4}};
        print STDERR map { "$_\n" } @{$echo{4}};
        print map { "$_\n" } @{$echo{3}}, "{ready$n}";
        next;
    }
    push @args, $line;
}
)";

QString writePerlStandIn(const QString &directory, const QByteArray &version = "1")
{
    return writeFakeTool(directory, QByteArray(perlStandIn).replace("VERSION", version));
}

// Live (not zombie) children of this process whose command line contains `needle`, sorted.
QList<qint64> ourChildren(const QByteArray &needle = "-stay_open")
{
    return TestFiles::liveChildren(needle);
}

QString resultText(const Expected<QByteArray> &result)
{
    return result ? QString::fromUtf8(result.value()) : "error: " + describe(result.error());
}

// Sorted "key = value" lines, without what differs between two copies.
QString tableText(const Expected<MetadataTable> &table)
{
    if (!table)
        return "error: " + describe(table.error());
    QStringList lines;
    for (auto it = table.value().begin(); it != table.value().end(); ++it)
        if (!QStringList{"Directory", "FileModifyDate", "FileAccessDate", "FileInodeChangeDate"}.contains(it.key()))
            lines.append(it.key() + " = " + it.value());
    lines.sort();
    return lines.join(u'\n');
}

// Tables before and after, the strip's outcome, and the bytes left (PDF
// trailer IDs, fresh on every rewrite, blanked).
QStringList clean(const QString &path, const std::shared_ptr<ToolRunner> &runner)
{
    static const QRegularExpression pdfId("/ID \\[<[0-9a-fA-F]*> ?<[0-9a-fA-F]*>\\]");
    const FileCleaner cleaner(ToolPaths::installed(), *runner);
    const QUrl url = QUrl::fromLocalFile(path);
    const CleanResult result = cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, {}});
    MetadataTable before = result.metadataBefore.unpack(), after = result.metadataAfter.unpack();
    return {tableText(before), result.success() ? "ok" : *result.errorMessage(), tableText(after),
            QString::fromLatin1(TestFiles::readAll(path)).replace(pdfId, "/ID []")};
}

} // namespace

class tst_StayOpenRunner : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<OneShotRunner> m_oneShot = std::make_shared<OneShotRunner>();

private slots:
    // Two workers shared by three threads clean like one process per run, and end with their runner.
    void cleansLikeOneProcessPerRun()
    {
        const QString source = m_dir.filePath("corpus");
        QVERIFY(QDir().mkpath(source));
        const QStringList corpus{TestFiles::makeJpegWithMetadata(source), TestFiles::makePngWithMetadata(source),
                                 TestFiles::makePdfWithMetadata(source),
                                 TestFiles::makeJpegWithMetadata(source, "name with spaces & $sign.jpg")};
        for (const char *copy : {"one-shot/", "stay-open/"}) {
            QVERIFY(QDir().mkpath(m_dir.filePath(copy)));
            for (const QString &file : corpus)
                QVERIFY(QFile::copy(file, m_dir.filePath(copy + QFileInfo(file).fileName())));
        }

        auto runner = std::make_shared<StayOpenRunner>(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        QThreadPool threads;
        threads.setMaxThreadCount(3);
        QList<QFuture<QStringList>> persistent;
        for (const QString &file : corpus)
            persistent.append(
                QtConcurrent::run(&threads, clean, m_dir.filePath("stay-open/" + QFileInfo(file).fileName()), runner));
        for (qsizetype i = 0; i < corpus.size(); ++i) {
            const QString name = QFileInfo(corpus[i]).fileName();
            const QStringList expected = clean(m_dir.filePath("one-shot/" + name), m_oneShot);
            QCOMPARE(persistent[i].result(), expected);
            QVERIFY2(expected[0].contains("Jane Marker") && !expected[2].contains("Jane Marker"), qPrintable(name));
        }
        QCOMPARE(runner->counts().oneShot, 0);
        QVERIFY(runner->counts().persistent >= 2 * corpus.size()); // PDFs are rewritten by their own helper

        QVERIFY(!ourChildren().isEmpty() && ourChildren().size() <= 2);
        runner.reset();
        QVERIFY(ourChildren("exiftool").isEmpty());
    }

    // Escaped arguments give the one-shot result; those the argument file cannot carry run once.
    void argumentsGiveTheOneShotResult_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("persistent");
        QTest::newRow("plain") << "plain.jpg" << QStringList() << true;
        QTest::newRow("leading space") << " space.jpg" << QStringList() << true;
        QTest::newRow("leading hash") << "#hash.jpg" << QStringList() << true;
        QTest::newRow("line break") << "line\nbreak.jpg" << QStringList() << true;
        QTest::newRow("carriage return at the end") << "return.jpg\r" << QStringList() << true;
        QTest::newRow("backslash n, literally") << "back\\nslash.jpg" << QStringList() << true;
        QTest::newRow("dollar and line break") << "cost$\nline.jpg" << QStringList() << false;
        QTest::newRow("at and leading space") << " me@home.jpg" << QStringList() << false;
        QTest::newRow("spaces around =") << "plain.jpg" << QStringList{"-echo", "-x = y"} << true;
        QTest::newRow("condition fails") << "plain.jpg" << QStringList{"-if", "$FileSize eq 'never'"} << true;
        QTest::newRow("file missing") << "missing.jpg" << QStringList() << true;
        QTest::newRow("end of options") << "plain.jpg" << QStringList{"--"} << false;
        QTest::newRow("standard input") << "plain.jpg" << QStringList{"-"} << false;
    }

    void argumentsGiveTheOneShotResult()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, extra);
        QFETCH(bool, persistent);
        // Relative names, so that a leading space or "#" starts the line.
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
        if (name != "missing.jpg")
            TestFiles::makeJpegWithMetadata(dir.path(), name);
        TestFiles::readAll(dir.filePath(name)); // settle the access time before both runs

        const QStringList arguments = extra + QStringList{"-all", "-j", name};
        const QString expected = resultText(m_oneShot->run(TestFiles::bundledExifTool(), arguments, 60s));
        StayOpenRunner runner;
        QCOMPARE(resultText(runner.run(TestFiles::bundledExifTool(), arguments, 60s)), expected);
        QCOMPARE(runner.counts().persistent, persistent ? 1 : 0);
        QVERIFY(QTest::currentDataTag() != QByteArray("plain") || expected.contains("Jane Marker"));
    }

    // Endings alike through both runners; hung or dead workers are replaced, failed ones serve on.
    void endingsOfACommand_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("workerSurvives");
        QTest::newRow("stderr without line break")
            << "nonewline.jpg" << "error: ExifTool: Warning: no line break" << true;
        QTest::newRow("worker killed mid-command")
            << "crash.jpg" << "error: ExifTool: exiftool stopped unexpectedly (it crashed or was killed)" << false;
        QTest::newRow("hung") << "hang.jpg" << "error: ExifTool process timed out" << false;
    }

    void endingsOfACommand()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(bool, workerSurvives);
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        const QStringList warmUp{"-j", dir.filePath("warm.jpg")}, arguments{"-all", "-j", dir.filePath(name)};
        StayOpenRunner runner(StayOpenRunner::Options{1, 1000, qint64(512) << 20});
        QVERIFY(runner.run(tool, warmUp, 60s));
        const QList<qint64> worker = ourChildren();
        QCOMPARE(worker.size(), 1);

        const std::chrono::milliseconds limit = name == "hang.jpg" ? 1s : 60s;
        const QString persistent = resultText(runner.run(tool, arguments, limit));
        QCOMPARE(persistent, resultText(m_oneShot->run(tool, arguments, limit)));
        QVERIFY2(persistent.startsWith(expected), qPrintable(persistent));
        QCOMPARE(ourChildren().contains(worker[0]), workerSurvives);

        QVERIFY(QFile::remove(tool));
        writePerlStandIn(dir.path(), "2"); // a replaced tool file gets a worker of its own
        QVERIFY(resultText(runner.run(tool, warmUp, 60s)).contains("\"Version\":\"2\""));
        QCOMPARE(runner.counts().persistent, 3);
        QCOMPARE(runner.counts().oneShot, 0);
    }

    // prepare() starts every worker at once, and the runs that follow use them.
    void preparedWorkersServeTheFirstRuns()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        {
            // Gone before its workers are up: it waits for them, then ends them.
            StayOpenRunner hasty(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
            hasty.prepare(tool);
        }
        QVERIFY(ourChildren().isEmpty());

        StayOpenRunner runner(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        runner.prepare(tool).waitForFinished();
        const QList<qint64> started = ourChildren();
        QCOMPARE(started.size(), 2);
        runner.prepare(tool).waitForFinished(); // already ready: nothing more starts

        QThreadPool threads;
        QList<QFuture<Expected<QByteArray>>> runs;
        for (int i = 0; i < 4; ++i)
            runs.append(QtConcurrent::run(&threads, [&] { return runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s); }));
        for (auto &run : runs)
            QVERIFY(run.result());
        QCOMPARE(ourChildren(), started);
        QCOMPARE(runner.counts().persistent, 4);
    }

    void workersRetireAfterTheirShareOfCommands()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        StayOpenRunner runner(StayOpenRunner::Options{1, 2, qint64(512) << 20});
        QSet<qint64> seen;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(runner.run(tool, {"-j", dir.filePath("a.jpg")}, 60s));
            QVERIFY(ourChildren().size() <= 1);
            for (pid_t pid : ourChildren())
                seen.insert(pid);
        }
        QCOMPARE(seen.size(), 3); // the 2nd and 4th commands retire theirs
    }

    // A quit stops runs under way at once, through either runner, and refuses new ones.
    void stopAllEndsHungRuns_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::newRow("stay-open worker") << true;
        QTest::newRow("one process per run") << false;
    }

    void stopAllEndsHungRuns()
    {
        QFETCH(bool, persistent);
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        std::unique_ptr<ToolRunner> runner;
        if (persistent)
            runner = std::make_unique<StayOpenRunner>(StayOpenRunner::Options{1, 1000, qint64(512) << 20});
        else
            runner = std::make_unique<OneShotRunner>();
        QElapsedTimer clock;
        clock.start();
        auto hung = QtConcurrent::run([&] { return runner->run(tool, {"-j", dir.filePath("hang.jpg")}, 60s); });
        QTest::qWait(1500); // under way
        runner->stopAll();
        const auto result = hung.result();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!result && isCleanError(result.error(), CleanError::Kind::quitting));
        QVERIFY(!runner->run(tool, {"-j", dir.filePath("a.jpg")}, 60s));
    }
};

QTEST_GUILESS_MAIN(tst_StayOpenRunner)
#include "tst_stayopenrunner.moc"
