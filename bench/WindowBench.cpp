// The real window, end to end: the built tessaly binary started under Xvfb
// with N photos on its command line, as "Open With" starts it, timed until
// every file has been rewritten, against exiftool's own one-process batch
// strip of the same copies. It drives the binary from outside and shares no
// code with the app.
//
//   tessaly_window_bench --window N [--rounds R] [--small] [--no-compositor]
//
// Each round times the batch, then the window on a bare X server and the
// window with xcompmgr running, each on fresh copies. What it reports:
//   e2e_ratio_vs_exiftool_batch  the window's time over the batch's
//   app_cpu_per_tool_cpu         the app's own CPU (all threads, start-up
//                                included) over its exiftool children's
//   peak_rss_kb_per_row          the app's VmHWM over N
// A file counts as done when its inode changed (the app renames a cleaned
// copy over it) and its header no longer holds the artist's name.
//
// This process makes itself a child subreaper: exiftool workers the app
// leaves behind when it is told to quit land here, and their CPU is still
// counted, from wait4().

#include "CameraTags.h"
#include "ProcStats.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

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

// What this process started and has not reaped, and its folder of copies:
// stopped and removed when it is interrupted, so that no X server, window
// or gigabyte of photos outlives a cut-short run.
std::atomic<pid_t> running[16];
char workFolder[4096];

void stopRunningOnSignals()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, [](int received) {
            pid_t stopped[std::size(running)] = {};
            for (std::size_t i = 0; i < std::size(running); ++i)
                if ((stopped[i] = running[i].exchange(0)) > 0)
                    ::kill(stopped[i], SIGTERM);
            for (const pid_t child : stopped) // the app removes its staged copies as it goes
                if (child > 0)
                    ::waitpid(child, nullptr, 0);
            if (workFolder[0] != '\0') {
                if (const pid_t remover = ::fork(); remover == 0) {
                    ::execl("/bin/rm", "rm", "-rf", "--", workFolder, static_cast<char *>(nullptr));
                    ::_exit(127);
                } else if (remover > 0) {
                    ::waitpid(remover, nullptr, 0);
                }
            }
            ::_exit(128 + received);
        });
    }
}

// posix_spawn with the given environment; stdout and stderr go to `log`.
pid_t spawn(const QStringList &arguments, const QStringList &environment, const QString &log)
{
    QList<QByteArray> argStore, envStore;
    std::vector<char *> argv, envp;
    for (const QString &argument : arguments)
        argStore.append(QFile::encodeName(argument));
    for (const QString &entry : environment)
        envStore.append(entry.toLocal8Bit());
    for (QByteArray &argument : argStore)
        argv.push_back(argument.data());
    for (QByteArray &entry : envStore)
        envp.push_back(entry.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray logPath = QFile::encodeName(log);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        qFatal("cannot start %s: %s", argv[0], std::strerror(error));
    for (auto &slot : running) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid))
            break;
    }
    return pid;
}

QStringList currentEnvironment()
{
    QStringList environment;
    for (char **entry = environ; *entry; ++entry)
        environment.append(QString::fromLocal8Bit(*entry));
    return environment;
}

QStringList withVariables(QStringList environment, const QList<std::pair<QString, QString>> &set,
                          const QStringList &unset = {})
{
    environment.removeIf([&](const QString &entry) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        return unset.contains(name) || std::any_of(set.begin(), set.end(), [&](const auto &pair) { return pair.first == name; });
    });
    for (const auto &[name, value] : set)
        environment.append(name + QLatin1Char('=') + value);
    return environment;
}

// Waits for a child and returns its exit status and its rusage (which holds
// the children it reaped itself).
std::pair<int, rusage> reap(pid_t pid)
{
    int status = 0;
    rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    for (auto &slot : running) {
        pid_t reaped = pid;
        slot.compare_exchange_strong(reaped, 0);
    }
    return {status, usage};
}

bool exited(pid_t pid)
{
    siginfo_t info {};
    return ::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

void runExifTool(const QStringList &arguments)
{
    const pid_t pid = spawn(QStringList{exifTool()} + arguments, currentEnvironment(), QStringLiteral("/dev/null"));
    const int status = reap(pid).first;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("exiftool %s failed", qPrintable(arguments.join(QLatin1Char(' '))));
}

// A phone photo's worth of metadata: the camera's tags, an XMP packet, a
// thumbnail and an opaque maker-note block.
const QStringList phoneTags = cameraTags + QStringList{
    QStringLiteral("-EXIF:Software=TC-1 firmware 1.0"),
    QStringLiteral("-EXIF:Orientation#=6"),
    QStringLiteral("-XMP-xmp:CreatorTool=TC-1"),
};

quint32 nextRandom(quint32 &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

QImage noisyImage(int width, int height, int noise)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 20240601;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto channel = [&](int base) {
                return std::clamp(base + int(nextRandom(state) % (2 * noise + 1)) - noise, 0, 255);
            };
            line[x] = qRgb(channel(x * 255 / width), channel(y * 255 / height), channel(128));
        }
    }
    return image;
}

// Built once and copied: a 12-megapixel photo near 2.7 MB, or a 64x48 one.
QString makeSource(const QString &directory, bool small)
{
    const QString path = QDir(directory).absoluteFilePath(QStringLiteral("source.jpg"));
    const QString thumbnail = QDir(directory).absoluteFilePath(QStringLiteral("thumbnail.jpg"));
    const QString makerNote = QDir(directory).absoluteFilePath(QStringLiteral("makernote.bin"));
    if (!(small ? noisyImage(64, 48, 30) : noisyImage(4000, 3000, 18)).save(path, "JPEG", 85)
        || !noisyImage(160, 120, 9).save(thumbnail, "JPEG", 85))
        qFatal("cannot write %s", qPrintable(path));
    QFile blob(makerNote);
    if (!blob.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(makerNote));
    quint32 state = 7;
    QByteArray bytes(small ? 512 : 24 * 1024, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(nextRandom(state));
    blob.write(bytes);
    blob.close();
    QStringList arguments {QStringLiteral("-q"), QStringLiteral("-m"), QStringLiteral("-overwrite_original")};
    arguments += phoneTags;
    arguments += {QStringLiteral("-MakerNotes<=") + makerNote, path};
    if (!small)
        arguments.insert(arguments.size() - 1, QStringLiteral("-ThumbnailImage<=") + thumbnail);
    runExifTool(arguments);
    return path;
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

BatchRun runBatch(const QString &directory)
{
    ::sync();
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = spawn({exifTool(), QStringLiteral("-q"), QStringLiteral("-all="), QStringLiteral("-overwrite_original"),
                             QStringLiteral("--ICC_Profile:all"), QStringLiteral("-tagsFromFile"), QStringLiteral("@"),
                             QStringLiteral("-Orientation"), directory},
                            currentEnvironment(), QStringLiteral("/dev/null"));
    const auto [status, usage] = reap(pid);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("batch strip failed");
    return {clock.nsecsElapsed() / 1e9, cpuSeconds(usage)};
}

// An X server of our own on a display nobody uses, optionally with a compositor.
class XServer
{
public:
    XServer(const QString &logDir, bool compositor)
    {
        for (int display = 90; display < 300 && !m_xvfb; ++display) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
                continue;
            const pid_t pid = spawn({QStringLiteral("/usr/bin/Xvfb"), QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                                     QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                     QStringLiteral("tcp")},
                                    currentEnvironment(), logDir + QStringLiteral("/xvfb.log"));
            for (int wait = 0; wait < 200 && !exited(pid); ++wait) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) {
                    m_xvfb = pid;
                    m_display = QStringLiteral(":%1").arg(display);
                    break;
                }
                std::this_thread::sleep_for(50ms);
            }
            if (!m_xvfb) { // lost a race for the number, or never came up
                ::kill(pid, SIGKILL);
                reap(pid);
            }
        }
        if (!m_xvfb)
            qFatal("cannot start Xvfb");
        if (compositor) {
            m_compositor = spawn({QStringLiteral("/usr/bin/xcompmgr")},
                                 withVariables(currentEnvironment(), {{QStringLiteral("DISPLAY"), m_display}}),
                                 logDir + QStringLiteral("/xcompmgr.log"));
            std::this_thread::sleep_for(500ms);
            if (exited(m_compositor))
                qFatal("xcompmgr did not start");
        }
    }

    ~XServer()
    {
        for (pid_t pid : {m_compositor, m_xvfb}) {
            if (pid) {
                ::kill(pid, SIGTERM);
                reap(pid);
            }
        }
    }

    QString display() const { return m_display; }
    double cpuSeconds() const
    {
        return procStat(m_xvfb).self + (m_compositor ? procStat(m_compositor).self : 0);
    }
    bool owns(pid_t pid) const { return pid == m_xvfb || pid == m_compositor; }

private:
    pid_t m_xvfb = 0, m_compositor = 0;
    QString m_display;
};

struct WindowRun
{
    double seconds = 0;
    double appCpu = 0, toolCpu = 0, xCpu = 0;
    qint64 peakRssKb = 0;
    int peakChildren = 0;
    double firstFileSeconds = -1;
};

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
                                                   {QStringLiteral("XDG_CONFIG_HOME"), workDir + QStringLiteral("/config")}},
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
    QList<double> ratios, cpuRatios, rssPerRow;
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
    qstrncpy(workFolder, QFile::encodeName(work.path()).constData(), sizeof workFolder);
    if (!work.isValid())
        qFatal("no temporary folder");
    const QString source = makeSource(work.path(), small);
    runExifTool({QStringLiteral("-ver")}); // Perl and its modules into the page cache
    std::printf("files=%d source_bytes=%lld rounds=%d\n", count, QFileInfo(source).size(), rounds);
    std::fflush(stdout);

    QList<Variant> variants {{"no_compositor", false, {}, {}, {}}};
    if (withCompositor)
        variants.append({"xcompmgr", true, {}, {}, {}});
    for (int round = 1; round <= rounds; ++round) {
        const QString roundDir = work.filePath(QStringLiteral("round-%1").arg(round));
        copies(source, roundDir + QStringLiteral("/batch"), count);
        const BatchRun batch = runBatch(roundDir + QStringLiteral("/batch"));
        QDir(roundDir + QStringLiteral("/batch")).removeRecursively();
        std::printf("round %d: exiftool_batch_seconds=%.2f exiftool_batch_cpu_s=%.2f\n", round, batch.seconds, batch.cpu);
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
            variant->cpuRatios.append(run.appCpu / run.toolCpu);
            variant->rssPerRow.append(double(run.peakRssKb) / count);
            std::printf("round %d %s: window_seconds=%.2f first_file_seconds=%.2f app_cpu_s=%.2f tool_cpu_s=%.2f "
                        "x_server_cpu_s=%.2f app_peak_rss_kb=%lld peak_app_children=%d\n",
                        round, variant->name, run.seconds, run.firstFileSeconds, run.appCpu, run.toolCpu, run.xCpu,
                        run.peakRssKb, run.peakChildren);
            std::fflush(stdout);
        }
    }
    for (const Variant &variant : variants) {
        std::printf("[%s]\n", variant.name);
        std::printf("e2e_ratio_vs_exiftool_batch=%.2f\n", median(variant.ratios));
        std::printf("app_cpu_per_tool_cpu=%.3f\n", median(variant.cpuRatios));
        std::printf("peak_rss_kb_per_row=%.1f\n", median(variant.rssPerRow));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    stopRunningOnSignals();
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
