// A tool taken over by a hostile file is held inside its grant: each way out
// a parser could try fails, through both runners, while what the grant names
// stays reachable (so that a sandbox that blocks everything fails too).

#include <OneShotRunner.h>
#include <Sandbox.h>
#include <StayOpenRunner.h>

#include <FakeTool.h>
#include <LocalName.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Speaks `-stay_open` like exiftool; a command is "<escape> <parameter>".
// Prints what it got, or "denied" with the system's words.
const QByteArray compromisedTool = R"(#!/usr/bin/perl
use strict; use warnings; use IO::Socket::INET; use IO::Socket::UNIX; use POSIX (); $| = 1;
sub denied { print "denied: $!\n"; return 0 }
sub act {
    my ($what, $target) = @_;
    if ($what eq '-ver') { print "13.0\n"; return 0 }
    if ($what eq 'read') { open(my $in, '<', $target) or return denied(); local $/; my $text = <$in> // ''; print "read: $text"; return 0 }
    if ($what eq 'write') { open(my $out, '>', $target) or return denied(); print $out "escaped"; close($out) or return denied(); print "wrote\n"; return 0 }
    if ($what eq 'tcp') {
        my $socket = IO::Socket::INET->new(PeerAddr => '127.0.0.1', PeerPort => $target, Timeout => 2) or return denied();
        print $socket "escaped\n"; print "connected\n"; return 0
    }
    if ($what eq 'unix' or $what eq 'abstract') {
        my $peer = $what eq 'abstract' ? "\0$target" : $target;
        my $socket = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Peer => $peer) or return denied();
        print $socket "escaped\n"; print "connected\n"; return 0
    }
    if ($what eq 'outlive') {
        defined(my $pid = fork()) or return denied();
        if ($pid == 0) {
            POSIX::setsid(); close STDOUT; close STDERR;
            sleep 2; if (open(my $out, '>', $target)) { print $out "alive"; close $out } POSIX::_exit(0);
        }
        print "forked\n"; return 0
    }
    if ($what eq 'print') { print 'x' x $target; return 0 }
    if ($what eq 'readall') {
        opendir(my $dir, $target) or return denied();
        for my $name (sort readdir $dir) {
            open(my $in, '<', "$target/$name") or next; local $/; my $text = <$in> // ''; print "$name: $text\n" if length $text
        }
        return 0
    }
    print STDERR "unknown escape $what\n"; return 1
}
exit act(@ARGV) unless @ARGV == 4 and $ARGV[0] eq '-stay_open';
my @args;
while (defined(my $line = <STDIN>)) {
    $line =~ s/[\r\n]+$//;
    exit 0 if $line eq 'False';
    if ($line =~ /^-execute(\d*)$/) {
        my ($n, %echo, @rest) = ($1, 3 => [], 4 => []);
        while (defined(my $arg = shift @args)) {
            if ($arg =~ /^-echo([34])$/) { push @{$echo{$1}}, shift @args } else { push @rest, $arg }
        }
        my $status = act(@rest);
        s/\$\{status\}/$status/g for @{$echo{3}}, @{$echo{4}};
        print STDERR map { "$_\n" } @{$echo{4}};
        print map { "$_\n" } @{$echo{3}}, "{ready$n}";
        @args = ();
        next;
    }
    push @args, $line;
}
)";

QByteArray textOf(const Expected<QByteArray> &result)
{
    return result ? result.value() : "error: " + describe(result.error()).toUtf8();
}

} // namespace

class TestSandbox : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tool;
    QString m_media;   // the user's folder the tool is granted a view of
    QString m_private; // a folder of the user's it is granted nothing of
    QString m_staging; // the one folder it may write

    void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase()
    {
        const Sandbox::Status status = Sandbox::status();
        if (!status.active())
            QSKIP(qPrintable("the sandbox cannot start here: " + status.detail));
        m_tool = writeFakeTool(m_dir.filePath("tool"), compromisedTool);
        m_media = m_dir.filePath("media");
        m_private = m_dir.filePath("private");
        m_staging = m_media + "/.tessaly-staging-test";
        for (const QString &folder : {m_media, m_private, m_staging, m_media + "/.ssh", m_media + "/album"})
            QVERIFY(QDir().mkpath(folder));
        write(m_media + "/photo.jpg", "granted photo");
        write(m_media + "/other.jpg", "another photo of the drop");
        write(m_media + "/notes.txt", "sibling secret");
        write(m_media + "/.hidden.jpg", "hidden secret");
        write(m_media + "/.ssh/id_ed25519", "key secret");
        write(m_media + "/album/inner.jpg", "inner secret");
        write(m_private + "/marker", "private secret");
        write(m_staging + "/photo.jpg", "staged photo");
        // Names that are not UTF-8 are hidden all the same.
        const QByteArray media = QFile::encodeName(m_media);
        for (const QByteArray &name : {QByteArray("caf\xe9.jpg"), QByteArray("notes\xe9.txt")}) {
            QFile latin;
            const int fd = ::open(QByteArray(media + '/' + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0 && latin.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            latin.write("latin secret");
        }
    }

    void cleanupTestCase()
    {
        // QTemporaryDir would leave what it cannot name.
        for (const char *name : {"caf\xe9.jpg", "notes\xe9.txt"})
            ::unlink(QByteArray(QFile::encodeName(m_media) + '/' + name).constData());
    }

    void escapesFail_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::addColumn<QString>("escape");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("expected"); // how what the tool prints starts (never a "secret")
        const QString media = m_dir.filePath("media"), priv = m_dir.filePath("private");
        for (bool persistent : {false, true}) {
            const char *runner = persistent ? "stay-open" : "one-shot";
            auto row = [&](const char *name) -> QTestData & { return QTest::addRow("%s: %s", runner, name) << persistent; };
            // What the grant names is there: without these the rows below prove nothing.
            row("reads its file") << "read" << media + "/photo.jpg" << QByteArray("read: granted photo");
            row("reads a file of its kind beside it") << "read" << media + "/other.jpg" << QByteArray("read: another photo");
            row("reads the staged copy") << "read" << media + "/.tessaly-staging-test/photo.jpg" << QByteArray("read: staged photo");
            row("reads every file beside it") << "readall" << media << QByteArray("other.jpg: another photo");
            row("reads outside its grant") << "read" << priv + "/marker" << QByteArray("denied");
            row("reads a file of another kind beside it") << "read" << media + "/notes.txt" << QByteArray("denied");
            row("reads a hidden file beside it") << "read" << media + "/.hidden.jpg" << QByteArray("denied");
            row("reads a hidden folder beside it") << "read" << media + "/.ssh/id_ed25519" << QByteArray("denied");
            row("reads a folder beside it") << "read" << media + "/album/inner.jpg" << QByteArray("denied");
            row("reads the home folder") << "read" << QDir::homePath() + "/.bashrc" << QByteArray("denied");
            row("writes beside its file") << "write" << media + "/beside.jpg" << QByteArray("denied");
            row("writes over its file") << "write" << media + "/photo.jpg" << QByteArray("denied");
            row("writes in a private folder") << "write" << priv + "/written" << QByteArray("denied");
            row("connects to a local port") << "tcp" << QString() << QByteArray("denied");
            row("connects to the session bus") << "unix" << QString() << QByteArray("denied");
            row("connects to an abstract socket") << "abstract" << QString() << QByteArray("denied");
            row("leaves a process behind") << "outlive" << QString() << QByteArray("forked");
        }
    }

    void escapesFail()
    {
        QFETCH(bool, persistent);
        QFETCH(QString, escape);
        QFETCH(QString, target);
        QFETCH(QByteArray, expected);

        QTcpServer tcp;
        QVERIFY(tcp.listen(QHostAddress::LocalHost));
        QLocalServer bus, abstractBus;
        QVERIFY(bus.listen(m_private + "/bus"));
        abstractBus.setSocketOptions(QLocalServer::AbstractNamespaceOption);
        QVERIFY(abstractBus.listen(QStringLiteral("tessaly-test-bus-%1").arg(QCoreApplication::applicationPid())));
        const QString survivor = m_staging + "/survivor";
        QFile::remove(survivor); // one a broken sandbox let an earlier row leave
        if (escape == "tcp")
            target = QString::number(tcp.serverPort());
        else if (escape == "unix")
            target = bus.fullServerName();
        else if (escape == "abstract")
            target = abstractBus.fullServerName();
        else if (escape == "outlive")
            target = survivor;
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(bus.fullServerName()));

        SandboxGrant grant = SandboxGrant::toRead(m_media + "/photo.jpg");
        grant.writable = {m_staging};
        {
            // A worker's processes end with it, at the latest when its runner goes.
            OneShotRunner oneShot;
            StayOpenRunner stayOpen(StayOpenRunner::Options{1});
            ToolRunner &runner = persistent ? static_cast<ToolRunner &>(stayOpen) : oneShot;
            const QByteArray output = textOf(runner.run(m_tool, {escape, target}, 20s, grant));
            QVERIFY2(output.startsWith(expected) && !output.contains("secret"), output.constData());
            if (persistent)
                QCOMPARE(stayOpen.counts().persistent, 1);
        }

        // Whatever it said, nothing reached the listeners or the disk.
        QTest::qWait(escape == "outlive" ? 3000 : 100);
        QVERIFY(!tcp.hasPendingConnections());
        QVERIFY(!bus.hasPendingConnections());
        QVERIFY(!abstractBus.hasPendingConnections());
        QVERIFY(!QFile::exists(m_media + "/beside.jpg"));
        QVERIFY(!QFile::exists(m_private + "/written"));
        QVERIFY(!QFile::exists(survivor));
        QFile photo(m_media + "/photo.jpg");
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QCOMPARE(photo.readAll(), QByteArray("granted photo"));
    }

    // A file whose name is not UTF-8 is named through a descriptor: the tool
    // reads it, and may not write it any more than a file its grant names.
    void descriptorsAreGrantsToo_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::newRow("one-shot") << false;
        QTest::newRow("stay-open") << true;
    }

    void descriptorsAreGrantsToo()
    {
        QFETCH(bool, persistent);
        const QByteArray path = QFile::encodeName(m_media) + "/caf\xe9.jpg";
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        auto closeIt = qScopeGuard([fd] { ::close(fd); });
        const QString named = descriptorPath(fd);
        OneShotRunner oneShot;
        StayOpenRunner stayOpen(StayOpenRunner::Options{1});
        ToolRunner &runner = persistent ? static_cast<ToolRunner &>(stayOpen) : oneShot;
        const SandboxGrant grant = SandboxGrant::toRead(named);
        QCOMPARE(textOf(runner.run(m_tool, {"read", named}, 20s, grant)), QByteArray("read: latin secret"));
        QVERIFY(textOf(runner.run(m_tool, {"write", named}, 20s, grant)).startsWith("denied"));
        QFile file;
        QVERIFY(file.open(fd, QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("latin secret"));
    }

    // The folder it may write is writable, and a run's output reaches the
    // file asked for whole, however it arrives.
    void grantedWritesArrive_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::addColumn<int>("size");
        for (bool persistent : {false, true}) {
            for (int size : {0, 1, 4096, 8193, 3 << 20})
                QTest::addRow("%s, %d bytes", persistent ? "stay-open" : "one-shot", size) << persistent << size;
        }
    }

    void grantedWritesArrive()
    {
        QFETCH(bool, persistent);
        QFETCH(int, size);
        OneShotRunner oneShot;
        StayOpenRunner stayOpen(StayOpenRunner::Options{1});
        ToolRunner &runner = persistent ? static_cast<ToolRunner &>(stayOpen) : oneShot;

        SandboxGrant grant = SandboxGrant::toRead(m_media + "/photo.jpg");
        grant.writable = {m_staging};
        const QString written = m_staging + "/written";
        QFile::remove(written);
        QCOMPARE(textOf(runner.run(m_tool, {"write", written}, 20s, grant)), QByteArray("wrote\n"));
        QVERIFY(QFile::exists(written));

        const QString output = m_staging + "/output";
        QFile::remove(output);
        grant.standardOutputTo = output;
        QCOMPARE(textOf(runner.run(m_tool, {"print", QString::number(size)}, 20s, grant)), QByteArray());
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(size, 'x'));
        // Never over an existing file.
        QVERIFY(!runner.run(m_tool, {"print", "1"}, 20s, grant));
        if (persistent)
            QCOMPARE(stayOpen.counts().oneShot, 0);
    }

    // Workers see one folder each: a run on another folder's file gets a
    // worker that sees that folder, and the first folder's is still there.
    void workersFollowTheFolder()
    {
        const QString second = m_dir.filePath("second");
        QVERIFY(QDir().mkpath(second));
        write(second + "/b.jpg", "second photo");
        StayOpenRunner runner(StayOpenRunner::Options{1});
        const QString first = m_media + "/photo.jpg", other = second + "/b.jpg";
        for (const QString &path : {first, other, first, other})
            QVERIFY(textOf(runner.run(m_tool, {"read", path}, 20s, SandboxGrant::toRead(path))).startsWith("read: "));
        // A folder made anew under the old name is another folder.
        QVERIFY(QDir(second).removeRecursively() && QDir().mkpath(second));
        write(second + "/b.jpg", "second photo, again");
        QCOMPARE(textOf(runner.run(m_tool, {"read", other}, 20s, SandboxGrant::toRead(other))),
                 QByteArray("read: second photo, again"));
        QCOMPARE(runner.counts().persistent, 5);
        QCOMPARE(runner.counts().oneShot, 0);
    }

    // A folder with more other files than a view can hide: the tool is
    // given the one file instead, and sees none of the others.
    void aCrowdedFolderGrantsTheFileAlone()
    {
        const QString crowded = m_dir.filePath("crowded");
        QVERIFY(QDir().mkpath(crowded));
        for (int i = 0; i < 3000; ++i)
            QVERIFY(QFile(crowded + QStringLiteral("/note-%1.txt").arg(i)).open(QIODevice::WriteOnly));
        write(crowded + "/a.jpg", "crowded photo");
        write(crowded + "/b.jpg", "its neighbour");
        StayOpenRunner runner(StayOpenRunner::Options{1});
        const SandboxGrant grant = SandboxGrant::toRead(crowded + "/a.jpg");
        QCOMPARE(textOf(runner.run(m_tool, {"read", crowded + "/a.jpg"}, 20s, grant)), QByteArray("read: crowded photo"));
        QVERIFY(!textOf(runner.run(m_tool, {"read", crowded + "/b.jpg"}, 20s, grant)).startsWith("read: its"));
        QVERIFY(!textOf(runner.run(m_tool, {"read", crowded + "/note-1.txt"}, 20s, grant)).startsWith("read: "));
    }
};

QTEST_GUILESS_MAIN(TestSandbox)
#include "tst_sandbox.moc"
