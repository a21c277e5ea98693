// The real window, end to end: the built tessaly binary started under Xvfb
// with N photos on its command line, as "Open With" starts it, timed until
// every file has been rewritten, against exiftool's own one-process batch
// strip of the same copies. It drives the binary from outside and shares no
// code with the app.
//
//   tessaly_window_bench --window N [--rounds R] [--small] [--no-compositor]
//
// Each round times two batches, then the window on a bare X server and the
// window with xcompmgr running, each on fresh copies. The batches: the one a
// person types (`exiftool -all= -overwrite_original DIR`) and the one doing
// the app's work (keeping the orientation and colour profile, which costs
// exiftool a second read of every file). What it reports:
//   e2e_ratio_vs_bare_batch       the window's time over the typed batch's
//   e2e_ratio_vs_same_work_batch  the window's time over the same-work batch's
//   app_cpu_per_tool_cpu         the app's own CPU (all threads, start-up
//                                included) over its exiftool children's
//   peak_rss_kb_per_row          the app's VmHWM over N
//   startup_first_frame_s        launch to the first frame drawn, and the app's
//   startup_cpu_s                CPU until then, as the app reports them
// A file counts as done when its inode changed (the app renames a cleaned
// copy over it) and its header no longer holds the artist's name.
//
// This process makes itself a child subreaper: exiftool workers the app
// leaves behind when it is told to quit land here, and their CPU is still
// counted, from wait4().

#include "BenchChildren.h"
#include "ProcStats.h"
#include "WindowPhotos.h"
#include "XServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace BenchChildren;

using namespace std::chrono_literals;

const QByteArray artist = "Jane Marker";

QString exeDir()
{
    return QCoreApplication::applicationDirPath();
}

QString exifTool()
{
    return QDir(exeDir()).absoluteFilePath(QStringLiteral("../share/tessaly/exiftool"));
}

void runExifTool(const QStringList &arguments)
{
    const pid_t pid = spawn(QStringList{exifTool()} + arguments, currentEnvironment(), QStringLiteral("/dev/null"));
    const int status = reap(pid).first;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("exiftool %s failed", qPrintable(arguments.join(QLatin1Char(' '))));
}

QStringList copies(const QString &source, const QString &directory, int count)
{
    QDir().mkpath(directory);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(directory).absoluteFilePath(QStringLiteral("photo-%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        if (!QFile::copy(source, path))
            qFatal("cannot copy to %s", qPrintable(path));
        paths.append(path);
    }
    return paths;
}

quint64 inode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// Whether the JPEG's segments before the image data still name the artist.
bool headerNamesArtist(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray data = file.read(1024 * 1024);
    qsizetype end = 2;
    const auto byte = [&](qsizetype at) { return uchar(data.at(at)); };
    while (end + 4 <= data.size() && byte(end) == 0xFF && byte(end + 1) != 0xDA)
        end += 2 + (byte(end + 2) << 8 | byte(end + 3));
    return data.left(end).contains(artist);
}

struct BatchRun
{
    double seconds = 0, cpu = 0;
};

BatchRun runBatch(const QString &directory, bool sameWork)
{
    QStringList arguments {exifTool(), QStringLiteral("-q"), QStringLiteral("-all="), QStringLiteral("-overwrite_original")};
    if (sameWork)
        arguments += {QStringLiteral("--ICC_Profile:all"), QStringLiteral("-tagsFromFile"), QStringLiteral("@"),
                      QStringLiteral("-Orientation")};
    ::sync();
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = spawn(arguments + QStringList{directory}, currentEnvironment(), QStringLiteral("/dev/null"));
    const auto [status, usage] = reap(pid);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("batch strip failed");
    return {clock.nsecsElapsed() / 1e9, cpuSeconds(usage)};
}

struct WindowRun
{
    double seconds = 0;
    double appCpu = 0, toolCpu = 0, xCpu = 0;
    qint64 peakRssKb = 0;
    int peakChildren = 0;
    double firstFileSeconds = -1;
    double firstFrameSeconds = -1, startupCpu = -1;
};

// The line the app prints with TESSALY_STARTUP_REPORT set.
void readStartupReport(const QString &log, WindowRun &run)
{
    for (const QByteArray &line : readProcFile(log).split('\n')) {
        if (!line.startsWith("tessaly-startup:"))
            continue;
        for (const QByteArray &field : line.mid(16).simplified().split(' ')) {
            const QByteArray value = field.mid(field.indexOf('=') + 1);
            if (field.startsWith("first_frame_s="))
                run.firstFrameSeconds = value.toDouble();
            else if (field.startsWith("cpu_s="))
                run.startupCpu = value.toDouble();
        }
    }
}

// Children of ours that are neither the app nor the X server: workers the
// app left behind, reparented here.
QList<pid_t> orphans(const XServer &server)
{
    QList<pid_t> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const pid_t pid = entry.toInt();
        if (pid > 0 && !server.owns(pid) && procStat(pid).ppid == ::getpid())
            found.append(pid);
    }
    return found;
}

int countChildren(pid_t parent)
{
    int count = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const pid_t pid = entry.toInt();
        count += pid > 0 && procStat(pid).ppid == parent;
    }
    return count;
}

WindowRun runWindow(const QStringList &files, const QString &workDir, bool compositor)
{
    const QString logDir = workDir + QStringLiteral("/logs");
    QDir().mkpath(logDir);
    QDir().mkpath(workDir + QStringLiteral("/state"));
    QDir().mkpath(workDir + QStringLiteral("/config"));
    XServer server(logDir, compositor);

    QList<quint64> before;
    for (const QString &file : files)
        before.append(inode(file));
    const QStringList environment = withVariables(currentEnvironment(),
                                                  {{QStringLiteral("DISPLAY"), server.display()},
                                                   {QStringLiteral("XDG_STATE_HOME"), workDir + QStringLiteral("/state")},
                                                   {QStringLiteral("XDG_CONFIG_HOME"), workDir + QStringLiteral("/config")},
                                                   {QStringLiteral("TESSALY_STARTUP_REPORT"), QStringLiteral("1")}},
                                                  {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("WAYLAND_DISPLAY")});
    ::sync();
    const double xCpuBefore = server.cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const pid_t app = spawn(QStringList{QDir(exeDir()).absoluteFilePath(QStringLiteral("tessaly"))} + files, environment,
                            logDir + QStringLiteral("/app.log"));

    WindowRun run;
    const auto limit = std::chrono::seconds(120 + files.size());
    qsizetype next = 0;
    int polls = 0;
    while (next < files.size()) {
        if (exited(app))
            qFatal("the app quit with %lld of %lld files done; see %s", qint64(next), qint64(files.size()),
                   qPrintable(logDir + QStringLiteral("/app.log")));
        if (std::chrono::nanoseconds(clock.nsecsElapsed()) > limit)
            qFatal("timed out with %lld of %lld files done", qint64(next), qint64(files.size()));
        // Files finish roughly in order; the run is over when the last one is.
        while (next < files.size() && inode(files[next]) != before[next] && !headerNamesArtist(files[next])) {
            if (next == 0)
                run.firstFileSeconds = clock.nsecsElapsed() / 1e9;
            ++next;
        }
        if (++polls % 10 == 0) {
            run.peakRssKb = std::max(run.peakRssKb, statusKb(app, "VmHWM:"));
            run.peakChildren = std::max(run.peakChildren, countChildren(app));
        }
        std::this_thread::sleep_for(10ms);
    }
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.peakRssKb = std::max(run.peakRssKb, statusKb(app, "VmHWM:"));
    run.appCpu = procStat(app).self;
    run.xCpu = server.cpuSeconds() - xCpuBefore;

    // The zombie still shows what the children it reaped itself cost.
    ::kill(app, SIGTERM);
    for (int wait = 0; wait < 1000 && !exited(app); ++wait)
        std::this_thread::sleep_for(10ms);
    if (!exited(app)) {
        std::fprintf(stderr, "the app ignored SIGTERM for 10 s; killing it\n");
        ::kill(app, SIGKILL);
        while (!exited(app))
            std::this_thread::sleep_for(10ms);
    }
    run.toolCpu = procStat(app).children;
    readStartupReport(logDir + QStringLiteral("/app.log"), run);
    reap(app);
    // Workers it did not wait for end when their input closes.
    QElapsedTimer grace;
    grace.start();
    for (QList<pid_t> left = orphans(server); !left.isEmpty(); left = orphans(server)) {
        for (pid_t pid : left) {
            if (exited(pid))
                run.toolCpu += cpuSeconds(reap(pid).second);
            else if (grace.elapsed() > 5000)
                ::kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(20ms);
    }
    return run;
}

// Reads back what the app wrote, outside the timing.
void verify(const QStringList &files)
{
    for (const QString &file : {files.constFirst(), files.constLast()}) {
        const QString out = file + QStringLiteral(".tags");
        const pid_t pid = spawn({exifTool(), QStringLiteral("-s3"), QStringLiteral("-Artist"), QStringLiteral("-GPSLatitude"),
                                 QStringLiteral("-SerialNumber"), QStringLiteral("-XMP:all"), file},
                                currentEnvironment(), out);
        reap(pid);
        const QByteArray left = readProcFile(out).trimmed();
        QFile::remove(out);
        if (!left.isEmpty())
            qFatal("%s still has: %s", qPrintable(file), left.constData());
    }
}

struct Variant
{
    const char *name;
    bool compositor;
    QList<double> bareRatios, ratios, cpuRatios, rssPerRow, firstFrames, startupCpu;
};

int window(int count, int rounds, bool small, bool withCompositor)
{
    if (!QFile::exists(QDir(exeDir()).absoluteFilePath(QStringLiteral("tessaly"))) || !QFile::exists(exifTool()))
        qFatal("build the tessaly and exiftool_bundle targets first");
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::printf("loadavg_at_start=%s\n", readProcFile(QStringLiteral("/proc/loadavg")).trimmed().constData());
    QByteArray forced;
    for (const char *name : {"QT_QUICK_BACKEND", "QSG_RHI_BACKEND"}) {
        if (qEnvironmentVariableIsSet(name))
            forced += QByteArray(name) + '=' + qgetenv(name) + ' ';
    }
    std::printf("scene_graph=%s\n", forced.isEmpty() ? "(the app's choice)" : forced.trimmed().constData());
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tessaly-window-bench-XXXXXX"));
    stopOnSignals(work.path());
    if (!work.isValid())
        qFatal("no temporary folder");
    const QString source = WindowPhotos::makeSource(work.path(), small, exifTool());
    runExifTool({QStringLiteral("-ver")}); // Perl and its modules into the page cache
    std::printf("files=%d source_bytes=%lld rounds=%d\n", count, QFileInfo(source).size(), rounds);
    std::fflush(stdout);

    QList<Variant> variants {{"no_compositor", false, {}, {}, {}, {}, {}, {}}};
    if (withCompositor)
        variants.append({"xcompmgr", true, {}, {}, {}, {}, {}, {}});
    for (int round = 1; round <= rounds; ++round) {
        const QString roundDir = work.filePath(QStringLiteral("round-%1").arg(round));
        copies(source, roundDir + QStringLiteral("/bare"), count);
        const BatchRun bare = runBatch(roundDir + QStringLiteral("/bare"), false);
        QDir(roundDir + QStringLiteral("/bare")).removeRecursively();
        copies(source, roundDir + QStringLiteral("/batch"), count);
        const BatchRun batch = runBatch(roundDir + QStringLiteral("/batch"), true);
        QDir(roundDir + QStringLiteral("/batch")).removeRecursively();
        std::printf("round %d: bare_batch_seconds=%.2f bare_batch_cpu_s=%.2f same_work_batch_seconds=%.2f "
                    "same_work_batch_cpu_s=%.2f\n",
                    round, bare.seconds, bare.cpu, batch.seconds, batch.cpu);
        std::fflush(stdout);
        // Every other round turns the order of the variants round.
        QList<Variant *> order;
        for (Variant &variant : variants)
            order.append(&variant);
        if (round % 2 == 0)
            std::reverse(order.begin(), order.end());
        for (Variant *variant : order) {
            const QString dir = roundDir + QLatin1Char('/') + QLatin1String(variant->name);
            const QStringList files = copies(source, dir + QStringLiteral("/files"), count);
            const WindowRun run = runWindow(files, dir, variant->compositor);
            verify(files);
            QDir(dir + QStringLiteral("/files")).removeRecursively();
            variant->ratios.append(run.seconds / batch.seconds);
            variant->bareRatios.append(run.seconds / bare.seconds);
            variant->firstFrames.append(run.firstFrameSeconds);
            variant->startupCpu.append(run.startupCpu);
            variant->cpuRatios.append(run.appCpu / run.toolCpu);
            variant->rssPerRow.append(double(run.peakRssKb) / count);
            std::printf("round %d %s: window_seconds=%.2f first_file_seconds=%.2f app_cpu_s=%.2f tool_cpu_s=%.2f "
                        "x_server_cpu_s=%.2f app_peak_rss_kb=%lld peak_app_children=%d first_frame_s=%.3f "
                        "startup_cpu_s=%.3f\n",
                        round, variant->name, run.seconds, run.firstFileSeconds, run.appCpu, run.toolCpu, run.xCpu,
                        run.peakRssKb, run.peakChildren, run.firstFrameSeconds, run.startupCpu);
            std::fflush(stdout);
        }
    }
    for (const Variant &variant : variants) {
        std::printf("[%s]\n", variant.name);
        std::printf("e2e_ratio_vs_bare_batch=%.2f\n", median(variant.bareRatios));
        std::printf("e2e_ratio_vs_same_work_batch=%.2f\n", median(variant.ratios));
        std::printf("app_cpu_per_tool_cpu=%.3f\n", median(variant.cpuRatios));
        std::printf("peak_rss_kb_per_row=%.1f\n", median(variant.rssPerRow));
        std::printf("startup_first_frame_s=%.3f\n", median(variant.firstFrames));
        std::printf("startup_cpu_s=%.3f\n", median(variant.startupCpu));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    stopOnSignals(QString());
    QStringList arguments = app.arguments().mid(1);
    const bool small = arguments.removeAll(QStringLiteral("--small")) > 0;
    const bool withCompositor = arguments.removeAll(QStringLiteral("--no-compositor")) == 0;
    arguments.removeAll(QStringLiteral("--window"));
    int rounds = 1;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--rounds")); at >= 0) {
        rounds = arguments.value(at + 1).toInt();
        arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    }
    bool valid = true;
    const int count = arguments.isEmpty() ? (small ? 20000 : 300) : arguments.first().toInt(&valid);
    if (!valid || count < 1 || rounds < 1 || arguments.size() > 1) {
        std::fprintf(stderr, "usage: tessaly_window_bench --window [N] [--rounds R] [--small] [--no-compositor]\n");
        return 2;
    }
    return window(count, rounds, small, withCompositor);
}
