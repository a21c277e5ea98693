#include <ExifToolService.h>
#include <OneShotRunner.h>
#include <StayOpenRunner.h>

#include <FakeTool.h>
#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <csignal>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A stand-in for exiftool that also speaks `-stay_open`, for what the real
// tool never does. The last argument decides what a command does: a name
// with "hang" starts the temporary copy and hangs, "crash" dies by SIGKILL,
// "nonewline" fails with standard error lacking its line break, "silent"
// fails saying nothing, "linger" closes its output and hangs; anything else
// prints a JSON line naming the arguments and VERSION.
const QByteArray perlStandIn = R"(#!/usr/bin/perl
use strict;
use warnings;
use IO::Handle;

sub act {
    my $path = $_[-1];
    if ($path =~ /hang/) {
        open(my $copy, '>', "${path}_exiftool_tmp") or die;
        print $copy 'partial';
        close $copy;
        sleep 60;
    }
    kill 'KILL', $$ if $path =~ /crash/;
    if ($path =~ /nonewline/) { print STDERR 'Warning: no line break'; return 1; }
    return 3 if $path =~ /silent/;
    if ($path =~ /linger/) { close STDOUT; close STDERR; sleep 60; }
    print '[{"Version":"VERSION","Arguments":"', join('|', @_), "\"}]\n";
    return 0;
}

if (@ARGV == 4 and $ARGV[0] eq '-stay_open') {
    my @args;
    while (defined(my $line = <STDIN>)) {
        $line =~ s/[\r\n]+$//;
        if ($line =~ s/^#\[CSTR\]//) {
            $line =~ s/\\(.)/$1 eq 'n' ? "\n" : $1 eq 'r' ? "\r" : $1/ge;
        } else {
            $line =~ s/^\s+//;
            next if $line eq '' or $line =~ /^#/;
        }
        exit 0 if $line eq 'False';
        if ($line =~ /^-execute(\d*)$/) {
            my (@echo3, @echo4, @rest);
            while (@args) {
                my $arg = shift @args;
                if ($arg eq '-echo3') { push @echo3, shift @args; }
                elsif ($arg eq '-echo4') { push @echo4, shift @args; }
                else { push @rest, $arg; }
            }
            my $status = act(@rest);
            s/\$\{status\}/$status/g for @echo3, @echo4;
            print STDERR map { "$_\n" } @echo4;
            print map { "$_\n" } @echo3;
            print "{ready$1}\n";
            STDOUT->flush;
            next;
        }
        push @args, $line;
    }
    exit 0;
}
STDOUT->flush;
exit act(@ARGV);
)";

QString writePerlStandIn(const QString &directory, const QByteArray &version = "1")
{
    QByteArray script = perlStandIn;
    script.replace("VERSION", version);
    const QString path = QDir(directory).absoluteFilePath(QStringLiteral("exiftool"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script) != script.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

// Processes whose parent is `parent` and whose command line contains `needle`.
QList<pid_t> childrenOf(pid_t parent, const QByteArray &needle)
{
    QList<pid_t> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!stat.open(QIODevice::ReadOnly) || !cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent && fields[0] != "Z"
            && cmdline.readAll().replace('\0', ' ').contains(needle))
            found.append(pid);
    }
    return found;
}

QList<pid_t> ourWorkers()
{
    return childrenOf(::getpid(), "-stay_open");
}

bool ended(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// The child of ours that holds `path` open: a run blocked on it.
pid_t childHolding(const QString &path)
{
    for (pid_t pid : childrenOf(::getpid(), "exiftool")) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString &fd : fds.entryList(QDir::System)) {
            if (QFile::symLinkTarget(fds.filePath(fd)) == path)
                return pid;
        }
    }
    return -1;
}

QString resultText(const Expected<QByteArray> &result)
{
    return result ? QString::fromUtf8(result.value()) : QStringLiteral("error: ") + describe(result.error());
}

// File system facts that differ between two copies cleaned at two moments.
MetadataTable withoutPlaceAndTime(MetadataTable table)
{
    for (const char *key : {"Directory", "FileModifyDate", "FileAccessDate", "FileInodeChangeDate"})
        table.remove(QString::fromLatin1(key));
    return table;
}

// A PDF's rewrite gives it a fresh trailer ID every time.
QByteArray withoutPdfId(const QByteArray &bytes)
{
    static const QRegularExpression id(QStringLiteral("/ID \\[<[0-9a-fA-F]*> ?<[0-9a-fA-F]*>\\]"));
    return QString::fromLatin1(bytes).replace(id, QStringLiteral("/ID []")).toLatin1();
}

struct Cleaned
{
    QString before, stripped, after; // tables as sorted text, or the error
    QByteArray bytes;
};

QString tableText(const Expected<MetadataTable> &table)
{
    if (!table)
        return QStringLiteral("error: ") + describe(table.error());
    const MetadataTable kept = withoutPlaceAndTime(table.value());
    QStringList lines;
    for (auto it = kept.begin(); it != kept.end(); ++it)
        lines.append(it.key() + QStringLiteral(" = ") + it.value());
    lines.sort();
    return lines.join(u'\n');
}

Cleaned clean(const QString &path, const std::shared_ptr<ToolRunner> &runner)
{
    ServiceOptions options;
    options.runner = runner;
    const auto service = ExifToolService::create(options);
    const QUrl url = QUrl::fromLocalFile(path);
    Cleaned result;
    result.before = tableText(service.value().readMetadata(url));
    const auto stripped = service.value().stripMetadata(url);
    result.stripped = stripped ? QStringLiteral("ok") : describe(stripped.error());
    result.after = tableText(service.value().readMetadata(url));
    result.bytes = withoutPdfId(TestFiles::readAll(path));
    return result;
}

void copyAll(const QStringList &files, const QString &directory)
{
    QDir().mkpath(directory);
    for (const QString &file : files)
        QVERIFY(QFile::copy(file, QDir(directory).filePath(QFileInfo(file).fileName())));
}

// Runs in a child process (see main): starts workers, names them, then waits
// to be killed.
int holdWorkers(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    StayOpenRunner runner;
    const QString file = QString::fromLocal8Bit(argv[2]);
    if (!runner.run(TestFiles::bundledExifTool(), {QStringLiteral("-j"), file}, 60s))
        return 1;
    for (pid_t pid : ourWorkers())
        std::printf("%d\n", pid);
    std::fflush(stdout);
    ::sleep(120); // the test kills it long before
    return 0;
}

} // namespace

class tst_StayOpenRunner : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<OneShotRunner> m_oneShot = std::make_shared<OneShotRunner>();

private slots:
    // The same files, cleaned by one process per run and by the workers,
    // several at once, end up alike, and so do the tables shown for them.
    // The workers end with their runner.
    void cleansLikeOneProcessPerRun()
    {
        const QString source = m_dir.filePath(QStringLiteral("corpus"));
        QDir().mkpath(source);
        const QStringList corpus{
            TestFiles::makeJpegWithMetadata(source),
            TestFiles::makePngWithMetadata(source),
            TestFiles::makePdfWithMetadata(source),
            TestFiles::makeJpegWithMetadata(source, QStringLiteral("name with spaces & $sign.jpg")),
            TestFiles::makeJpegWithMetadata(source, QStringLiteral("second.jpg")),
        };
        copyAll(corpus, m_dir.filePath(QStringLiteral("one-shot")));
        copyAll(corpus, m_dir.filePath(QStringLiteral("stay-open")));

        auto runner = std::make_shared<StayOpenRunner>(StayOpenRunner::Options{2, 1000, qint64(512) << 20});
        QThreadPool threads;
        threads.setMaxThreadCount(3); // one more than the workers: one run waits for a worker
        QList<QFuture<Cleaned>> persistent;
        for (const QString &file : corpus) {
            const QString copy = m_dir.filePath(QStringLiteral("stay-open/") + QFileInfo(file).fileName());
            persistent.append(QtConcurrent::run(&threads, clean, copy, runner));
        }
        for (qsizetype i = 0; i < corpus.size(); ++i) {
            const QString name = QFileInfo(corpus[i]).fileName();
            const Cleaned expected = clean(m_dir.filePath(QStringLiteral("one-shot/") + name), m_oneShot);
            const Cleaned actual = persistent[i].result();
            QCOMPARE(actual.before, expected.before);
            QCOMPARE(actual.stripped, expected.stripped);
            QCOMPARE(actual.after, expected.after);
            QVERIFY2(actual.bytes == expected.bytes, qPrintable(name));
            // Not a comparison of two empty tables.
            QVERIFY2(expected.before.contains(QStringLiteral("Jane Marker")), qPrintable(name));
            QVERIFY2(!expected.after.contains(QStringLiteral("Jane Marker")), qPrintable(name));
        }
        QCOMPARE(runner->counts().oneShot, 0);
        QVERIFY(runner->counts().persistent >= 3 * corpus.size());

        // Nothing outlives the runner.
        const QList<pid_t> workers = ourWorkers();
        QVERIFY(!workers.isEmpty() && workers.size() <= 2);
        runner.reset();
        for (pid_t pid : workers)
            QVERIFY(ended(pid));
        QVERIFY(childrenOf(::getpid(), "exiftool").isEmpty());
    }

    // Arguments the argument file has to escape reach the tool as they are;
    // those it cannot carry take a one-shot run. Either way the result is that
    // of a one-shot run.
    void argumentsReachTheToolUnchanged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("persistent");

        QTest::newRow("plain") << "plain.jpg" << QStringList() << true;
        QTest::newRow("leading space") << " space.jpg" << QStringList() << true;
        QTest::newRow("leading tab") << "\ttab.jpg" << QStringList() << true;
        QTest::newRow("leading hash") << "#hash.jpg" << QStringList() << true;
        QTest::newRow("line break") << "line\nbreak.jpg" << QStringList() << true;
        QTest::newRow("carriage return at the end") << "return.jpg\r" << QStringList() << true;
        QTest::newRow("backslash n, literally") << "back\\nslash.jpg" << QStringList() << true;
        QTest::newRow("quote") << "#\"quoted\".jpg" << QStringList() << true;
        QTest::newRow("dollar and line break") << "cost$\nline.jpg" << QStringList() << false;
        QTest::newRow("at and leading space") << " me@home.jpg" << QStringList() << false;
        // Unescaped, exiftool would squeeze this to "-x=y".
        QTest::newRow("option-like text with spaces around =")
            << "plain.jpg" << QStringList{QStringLiteral("-echo"), QStringLiteral("-x = y")} << true;
        QTest::newRow("condition fails: status 2")
            << "plain.jpg" << QStringList{QStringLiteral("-if"), QStringLiteral("$FileSize eq 'never'")} << true;
        QTest::newRow("file missing") << "missing.jpg" << QStringList() << true;
        QTest::newRow("end of options") << "plain.jpg" << QStringList{QStringLiteral("--")} << false;
        QTest::newRow("standard input") << "plain.jpg" << QStringList{QStringLiteral("-")} << false;
    }

    void argumentsReachTheToolUnchanged()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, extra);
        QFETCH(bool, persistent);

        // Relative names: a leading space or "#" then starts the line.
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
        if (name != QStringLiteral("missing.jpg"))
            TestFiles::makeJpegWithMetadata(dir.path(), name);
        // Read once so that the access time no longer moves between the runs.
        TestFiles::readAll(dir.filePath(name));

        const QStringList arguments = extra + QStringList{QStringLiteral("-all"), QStringLiteral("-j"), name};
        const QString tool = TestFiles::bundledExifTool();
        const auto expected = m_oneShot->run(tool, arguments, 60s);
        StayOpenRunner runner;
        const auto actual = runner.run(tool, arguments, 60s);
        QCOMPARE(resultText(actual), resultText(expected));
        QCOMPARE(runner.counts().persistent, persistent ? 1 : 0);
        if (name == QStringLiteral("plain.jpg") && extra.isEmpty())
            QVERIFY(resultText(actual).contains(QStringLiteral("Jane Marker")));
    }

    // What the stand-in does that the real tool does not: every way a run
    // can end, alike through both runners, and the worker still serves after.
    void endingsOfARun_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("limitMs");

        QTest::newRow("success") << "fine.jpg" << "[{\"Version\":\"1\"" << 60000;
        QTest::newRow("stderr without line break")
            << "nonewline.jpg" << "error: ExifTool: Warning: no line break" << 60000;
        QTest::newRow("failure without stderr")
            << "silent.jpg" << "error: ExifTool: exiftool failed with exit status 3" << 60000;
        QTest::newRow("crash") << "crash.jpg"
                               << "error: ExifTool: exiftool stopped unexpectedly (it crashed or was killed)" << 60000;
        QTest::newRow("output closed, process lingers") << "linger.jpg" << "error: ExifTool process timed out" << 1000;
    }

    void endingsOfARun()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(int, limitMs);

        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path());
        const QString file = dir.filePath(name);
        const QStringList arguments{QStringLiteral("-all"), QStringLiteral("-j"), file};
        const std::chrono::milliseconds limit(limitMs);
        StayOpenRunner runner;
        const QString oneShot = resultText(m_oneShot->run(tool, arguments, limit));
        const QString persistent = resultText(runner.run(tool, arguments, limit));
        QCOMPARE(persistent, oneShot);
        QVERIFY2(persistent.startsWith(expected), qPrintable(persistent));

        const auto next = runner.run(tool, {QStringLiteral("-j"), dir.filePath(QStringLiteral("next.jpg"))}, 60s);
        QVERIFY2(next, qPrintable(resultText(next)));
        QCOMPARE(runner.counts().persistent, 2);
        QCOMPARE(runner.counts().oneShot, 0);
    }

    // A stopped strip leaves the file alone and its temporary copy removed, as
    // with one process per run, and the next run gets a fresh worker.
    void hungStripIsStoppedAndCleanedUp()
    {
        QTemporaryDir dir;
        writePerlStandIn(dir.path());
        const QString file = TestFiles::makeJpegWithMetadata(dir.path(), QStringLiteral("hang.jpg"));
        const QByteArray original = TestFiles::readAll(file);

        auto runner = std::make_shared<StayOpenRunner>();
        ServiceOptions options;
        options.resourceDirectory = dir.path();
        options.limits = RunLimits{1s, 0ms};
        options.runner = runner;
        const auto stripped = ExifToolService::create(options).value().stripMetadata(QUrl::fromLocalFile(file));
        QVERIFY(!stripped);
        QVERIFY(isToolError(stripped.error(), ExifToolError::Case::timeout));
        QCOMPARE(TestFiles::readAll(file), original);
        QVERIFY(!QFile::exists(file + QStringLiteral("_exiftool_tmp")));
        QCOMPARE(runner->counts().persistent, 1);
        QVERIFY(ourWorkers().isEmpty());

        options.limits = RunLimits{};
        const auto read = ExifToolService::create(options).value().readMetadata(
            QUrl::fromLocalFile(dir.filePath(QStringLiteral("fine.jpg"))));
        QVERIFY2(read, qPrintable(read ? QString() : describe(read.error())));
        QCOMPARE(read.value().value(QStringLiteral("Version")), QStringLiteral("1"));
        QCOMPARE(runner->counts().persistent, 2);
    }

    // The real tool blocks on a file that never yields data (a pseudo-terminal
    // master behind a .jpg name): stopped at its limit, or killed from
    // outside, it reports what a one-shot run reports.
    void blockedRealToolIsStoppedOrKilled_data()
    {
        QTest::addColumn<bool>("killFromOutside");
        QTest::addColumn<QString>("expected");
        QTest::newRow("time limit") << false << "error: ExifTool process timed out";
        QTest::newRow("killed") << true << "error: ExifTool: exiftool stopped unexpectedly (it crashed or was killed)";
    }

    void blockedRealToolIsStoppedOrKilled()
    {
        QFETCH(bool, killFromOutside);
        QFETCH(QString, expected);
        if (!QFile::exists(QStringLiteral("/dev/ptmx")))
            QSKIP("no /dev/ptmx here");

        QTemporaryDir dir;
        const QString blocking = dir.filePath(QStringLiteral("x.jpg"));
        QVERIFY(QFile::link(QStringLiteral("/dev/ptmx"), blocking));
        const QString tool = TestFiles::bundledExifTool();
        const QStringList arguments{QStringLiteral("-all"), QStringLiteral("-j"), blocking};
        const auto limit = killFromOutside ? 60s : 1s;
        StayOpenRunner runner;

        QStringList results;
        for (ToolRunner *each : {static_cast<ToolRunner *>(m_oneShot.get()), static_cast<ToolRunner *>(&runner)}) {
            auto pending = QtConcurrent::run([=] { return resultText(each->run(tool, arguments, limit)); });
            if (killFromOutside) {
                pid_t blocked = -1;
                QTRY_VERIFY_WITH_TIMEOUT((blocked = childHolding(QStringLiteral("/dev/ptmx"))) > 0, 30000);
                ::kill(blocked, SIGKILL);
            }
            results.append(pending.result());
        }
        QCOMPARE(results[1], results[0]);
        QCOMPARE(results[1], expected);
        QCOMPARE(runner.counts().persistent, 1);

        const QString file = TestFiles::makeJpegWithMetadata(dir.path(), QStringLiteral("after.jpg"));
        const auto next = runner.run(tool, {QStringLiteral("-j"), file}, 60s);
        QVERIFY(resultText(next).contains(QStringLiteral("Jane Marker")));
        QCOMPARE(runner.counts().persistent, 2);
    }

    // Stand-ins that do not answer the protocol get one process per run.
    void toolsThatDoNotSpeakTheProtocolRunOnce_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("shell script") << QByteArray("#!/bin/sh\necho \"[$#]\"\n");
        QTest::newRow("perl script mentioning stay_open, answering nothing")
            << QByteArray("#!/usr/bin/perl\n# -stay_open\nprint '[' . scalar(@ARGV) . \"]\\n\";\n");
    }

    void toolsThatDoNotSpeakTheProtocolRunOnce()
    {
        QFETCH(QByteArray, script);
        QTemporaryDir dir;
        const QString tool = dir.filePath(QStringLiteral("exiftool"));
        QFile file(tool);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);

        StayOpenRunner runner;
        for (int i = 0; i < 2; ++i) {
            const auto result = runner.run(tool, {QStringLiteral("-j"), dir.filePath(QStringLiteral("a.jpg"))}, 60s);
            QCOMPARE(resultText(result), QStringLiteral("[2]\n"));
        }
        QCOMPARE(runner.counts().oneShot, 2);
        QCOMPARE(runner.counts().persistent, 0);
        QVERIFY(ourWorkers().isEmpty());
    }

    // Workers give way to fresh ones after their share of commands, and to
    // the new tool when its file is replaced.
    void workersAreReplaced()
    {
        QTemporaryDir dir;
        const QString tool = writePerlStandIn(dir.path(), "1");
        const QStringList arguments{QStringLiteral("-j"), dir.filePath(QStringLiteral("a.jpg"))};
        StayOpenRunner runner(StayOpenRunner::Options{1, 2, qint64(512) << 20});

        QSet<pid_t> seen;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(resultText(runner.run(tool, arguments, 60s)).contains(QStringLiteral("\"Version\":\"1\"")));
            const QList<pid_t> workers = ourWorkers();
            QVERIFY(workers.size() <= 1);
            for (pid_t pid : workers)
                seen.insert(pid);
        }
        QCOMPARE(seen.size(), 3); // the 2nd and 4th commands retire theirs
        QCOMPARE(runner.counts().persistent, 5);

        QVERIFY(QFile::remove(tool));
        writePerlStandIn(dir.path(), "2");
        QVERIFY(resultText(runner.run(tool, arguments, 60s)).contains(QStringLiteral("\"Version\":\"2\"")));
    }

    void noWorkerOutlivesAKilledApp()
    {
        QTemporaryDir dir;
        const QString file = TestFiles::makeJpegWithMetadata(dir.path());
        QProcess app;
        app.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-workers"), file});
        QVERIFY(app.waitForReadyRead(60000));
        QList<pid_t> workers;
        for (const QByteArray &line : app.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                workers.append(line.toInt());
        }
        QCOMPARE(workers.size(), 1);
        QVERIFY(!ended(workers[0]));

        app.kill();
        QVERIFY(app.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(ended(workers[0]), 10000);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-workers") == 0)
        return holdWorkers(argc, argv);
    QCoreApplication app(argc, argv);
    tst_StayOpenRunner test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stayopenrunner.moc"
