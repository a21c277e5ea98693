// Two measurements of the cleaning pipeline, run through the view model the
// way the app runs it, on the tool and runner the app ships.
//
//   tessaly_bench [N] [--rounds R]
//       Throughput: N copies of a camera-sized JPEG per side. The yardstick is
//       exiftool's own one-process batch strip of another N copies, timed in
//       the same round. The first drop meets a runner that has not started
//       its workers; the R rounds after it meet one that has, as a drop on the
//       open window does (the app starts them when its window is up). Ratios
//       are the median over those rounds: one round on a shared machine is
//       easily 15% off either way.
//
//   tessaly_bench --load [N]
//       A drop of N small photos (default 5000), then 20 drops of 25 more,
//       20 ms apart, while the first is being cleaned: how long the UI thread
//       went without turning, and the peak memory. With TESSALY_BENCH_STALLS
//       set, each stall over 20 ms is listed with how far the run had come.
//
// Beside the load run an idle process wakes each millisecond; the time it
// could not run is the machine's own freeze (see MachineFreezes.h), reported
// apart from the stalls the UI thread had on its own.

#include "CameraTags.h"
#include "LargeFiles.h"
#include "MachineFreezes.h"
#include "PassTable.h"
#include "ProcStats.h"

#include <ExifToolService.h>
#include <StayOpenRunner.h>
#include <TessalyViewModel.h>
#include <Fixtures.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Noise over a gradient compresses badly, like a real photo: at quality 95
// this lands near 3 MB.
QString makeCameraJpeg(const QString &directory)
{
    const QString path = QDir(directory).absoluteFilePath(QStringLiteral("source.jpg"));
    QImage image(2200, 1650, QImage::Format_RGB32);
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> noise(-60, 60);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            auto channel = [&](int base) { return std::clamp(base + noise(random), 0, 255); };
            line[x] = qRgb(channel(x * 255 / image.width()), channel(y * 255 / image.height()), channel(128));
        }
    }
    if (!image.save(path, "JPEG", 95))
        qFatal("cannot write %s", qPrintable(path));
    Fixtures::run("exiftool", QStringList{QStringLiteral("-overwrite_original")} + cameraTags + QStringList{path});
    return path;
}

QList<QUrl> copies(const QString &source, const QString &directory, int count)
{
    QDir().mkpath(directory);
    QList<QUrl> urls;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(directory).absoluteFilePath(QStringLiteral("photo-%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        if (!QFile::copy(source, path))
            qFatal("cannot copy to %s", qPrintable(path));
        urls.append(QUrl::fromLocalFile(path));
    }
    return urls;
}

// The exiftool processes this process started and that are still alive: the
// persistent workers, if the runner keeps any.
QList<qint64> exiftoolChildren()
{
    return Fixtures::liveChildren("exiftool");
}

// Every live process below this one is a tool worker or its sandbox.
double workersCpuSeconds()
{
    return descendantsCpuSeconds(QCoreApplication::applicationPid());
}

// What main() of the app makes: the pool (two jobs per worker), the runner and the cleaner.
struct Pipeline
{
    Pipeline()
        : runner({.workersPerTool = std::clamp(QThread::idealThreadCount(), 2, 8)})
        , cleaner(ToolPaths::installed(), runner)
    {
        pool.setMaxThreadCount(2 * std::clamp(QThread::idealThreadCount(), 2, 8));
    }
    QThreadPool pool;
    StayOpenRunner runner;
    FileCleaner cleaner;
};
Pipeline *pipeline = nullptr;

struct ModelRun
{
    double seconds = 0;
    double longestStallMs = 0;
    // The longest stall less the time the idle watch was frozen along with us.
    double longestOwnStallMs = 0;
    double longestMachineFreezeMs = 0;
    qint64 done = 0;
    QString firstError;
    bool metadataRemoved = false;
    double toolCpuSeconds = 0; // live workers, and every child reaped during the run
    PassTable table;
};

// Drops `first`, then each of `later` 20 ms apart, and turns the event loop
// until the run is over, timing the gaps between turns of a 1 ms timer.
ModelRun runModel(const QList<QUrl> &first, const QList<QList<QUrl>> &later = {}, bool watchMachine = false)
{
    ModelOptions options;
    // The tail only keeps the finished run on screen a moment; it is no work.
    options.runTail = std::chrono::milliseconds(0);
    TessalyViewModel model(pipeline->cleaner, pipeline->pool, options);

    ModelRun run;
    QEventLoop loop;
    QElapsedTimer clock;
    const double toolCpuBefore = reapedChildrenCpuSeconds() + workersCpuSeconds();
    PassTimes::reset();
    const double uiCpuBefore = threadCpuSeconds(), appCpuBefore = processCpuSeconds();
    QList<Interval> stalls;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = nowNs();
        if (now - lastTick > 20'000'000) {
            stalls.append({lastTick, now});
            if (qEnvironmentVariableIsSet("TESSALY_BENCH_STALLS"))
                std::fprintf(stderr, "stall %.1f ms at %.2f s, %lld done, %lld listed\n", (now - lastTick) / 1e6,
                             clock.nsecsElapsed() / 1e9, model.doneCount(), model.totalCount());
        }
        else // too short for the idle watch to see: ours, whatever the machine did
            run.longestOwnStallMs = std::max(run.longestOwnStallMs, (now - lastTick) / 1e6);
        run.longestStallMs = std::max(run.longestStallMs, (now - lastTick) / 1e6);
        lastTick = now;
    });
    QObject::connect(&model, &TessalyViewModel::isProcessingChanged, &loop, [&] {
        if (!model.isProcessing())
            loop.quit();
    });
    qsizetype nextDrop = 0;
    QTimer dropper;
    dropper.setInterval(20);
    QObject::connect(&dropper, &QTimer::timeout, [&] {
        if (nextDrop < later.size())
            model.addFiles(later[nextDrop++]);
    });

    // Off while timing throughput: waking every millisecond costs the run a little.
    std::optional<MachineFreezes> watch;
    if (watchMachine)
        watch.emplace();
    ticker.start();
    dropper.start();
    lastTick = nowNs();
    clock.start();
    model.addFiles(first);
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    const QList<Interval> freezes = watch ? watch->stop() : QList<Interval>();
    for (const Interval &freeze : freezes)
        run.longestMachineFreezeMs = std::max(run.longestMachineFreezeMs, (freeze.to - freeze.from) / 1e6);
    // A stall is ours for the part of it the idle watch kept running through.
    for (const Interval &stall : stalls) {
        qint64 own = stall.to - stall.from;
        for (const Interval &freeze : freezes)
            own -= stall.overlap(freeze);
        run.longestOwnStallMs = std::max(run.longestOwnStallMs, std::max<qint64>(own, 0) / 1e6);
    }
    run.toolCpuSeconds = reapedChildrenCpuSeconds() + workersCpuSeconds() - toolCpuBefore;
    run.table.passes = PassTimes::totals();
    run.table.uiCpuSeconds = threadCpuSeconds() - uiCpuBefore;
    run.table.appCpuSeconds = processCpuSeconds() - appCpuBefore;
    run.table.toolCpuSeconds = run.toolCpuSeconds;
    run.table.files = first.size();

    run.done = model.doneCount();
    for (const FileItem &item : model.files()) {
        if (item.failure && run.firstError.isEmpty())
            run.firstError = *item.errorMessage();
    }
    const FileItem &sample = model.files().constFirst();
    const MetadataTable before = sample.metadataBefore(), after = sample.metadataAfter();
    run.metadataRemoved = before.contains(QStringLiteral("IFD0:Artist")) && !after.contains(QStringLiteral("IFD0:Artist"))
                          && !after.contains(QStringLiteral("GPS:GPSLatitude"));
    return run;
}

struct BatchRun
{
    double seconds = 0;
    double cpuSeconds = 0;
};

BatchRun runBatch(const QStringList &arguments)
{
    QProcess process;
    const double cpuBefore = reapedChildrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    process.start(Fixtures::program("exiftool"), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("batch strip failed: %s", process.readAllStandardError().constData());
    return {clock.nsecsElapsed() / 1e9, reapedChildrenCpuSeconds() - cpuBefore};
}

void checkComplete(const ModelRun &run, qint64 expected)
{
    if (run.done != expected || !run.metadataRemoved) {
        qFatal("model run incomplete: %lld of %lld done (%s), metadata removed: %d", run.done, expected,
               qPrintable(run.firstError), int(run.metadataRemoved));
    }
}

void printStalls(double longest, double own, double machine)
{
    std::printf("ui_longest_stall_ms=%.1f\n", longest);
    std::printf("machine_longest_freeze_ms=%.1f (an idle process beside the run, kept from running)\n", machine);
    std::printf("ui_longest_own_stall_ms=%.1f (the longest stall less the machine's freezes within it)\n", own);
}

void printMemory()
{
    qint64 workersKb = 0;
    const QList<qint64> workers = exiftoolChildren();
    for (qint64 pid : workers)
        workersKb += statusKb(pid, "VmHWM:");
    std::printf("peak_rss_kb=%lld\n", statusKb(QCoreApplication::applicationPid(), "VmHWM:"));
    std::printf("exiftool_workers=%lld workers_peak_rss_kb_total=%lld\n", qint64(workers.size()), workersKb);
}

int throughput(int count, int rounds)
{
    QTemporaryDir work;
    if (!work.isValid())
        qFatal("no temporary folder");
    const QString source = makeCameraJpeg(work.path());
    // Both sides then start with Perl and its modules in the page cache.
    Fixtures::run("exiftool", {QStringLiteral("-ver")});
    std::printf("files=%d source_bytes=%lld rounds=%d\n", count, QFileInfo(source).size(), rounds);

    const QStringList plainStrip {QStringLiteral("-all="), QStringLiteral("-overwrite_original")};
    // What the app asks of exiftool for a JPEG: it keeps the orientation and colour profile.
    const QStringList sameStrip = plainStrip + QStringList{QStringLiteral("--ICC_Profile:all"), QStringLiteral("-tagsFromFile"),
                                                           QStringLiteral("@"), QStringLiteral("-Orientation")};

    QList<double> ratios, sameStripRatios;
    double longestStallMs = 0, modelToolCpu = 0, batchCpu = 0;
    PassTable passes;
    for (int round = 0; round <= rounds; ++round) {
        const bool cold = round == 0;
        const QString roundDirectory = work.filePath(QStringLiteral("round-%1").arg(round));
        const QList<QUrl> modelFiles = copies(source, roundDirectory + QStringLiteral("/model"), count);
        const QString batchDirectory = roundDirectory + QStringLiteral("/batch");
        const QString sameStripDirectory = roundDirectory + QStringLiteral("/same-strip");
        copies(source, batchDirectory, count);
        copies(source, sameStripDirectory, count);

        if (!cold)
            pipeline->cleaner.exiftool().prepare().waitForFinished();
        // Each side starts with no dirty pages left over from the copies or
        // the side before, and every other round turns the order round, so
        // that a machine slowing down or speeding up favours neither side.
        ModelRun model;
        BatchRun batch, same;
        const auto timeModel = [&] {
            ::sync();
            model = runModel(modelFiles);
            checkComplete(model, count);
        };
        const auto timeBatches = [&] {
            ::sync();
            batch = runBatch(plainStrip + QStringList{batchDirectory});
            ::sync();
            same = runBatch(sameStrip + QStringList{sameStripDirectory});
        };
        if (round % 2 == 0) {
            timeModel();
            timeBatches();
        } else {
            timeBatches();
            timeModel();
        }
        QDir(roundDirectory).removeRecursively();

        const double ratio = model.seconds / batch.seconds;
        std::printf("%s: model_seconds=%.3f exiftool_batch_seconds=%.3f same_strip_batch_seconds=%.3f ratio=%.2f\n",
                    cold ? "first drop, workers not started" : qPrintable(QStringLiteral("round %1").arg(round)),
                    model.seconds, batch.seconds, same.seconds, ratio);
        std::fflush(stdout);
        if (cold)
            continue;
        ratios.append(ratio);
        sameStripRatios.append(model.seconds / same.seconds);
        longestStallMs = std::max(longestStallMs, model.longestStallMs);
        modelToolCpu += model.toolCpuSeconds;
        passes += model.table;
        batchCpu += batch.cpuSeconds;
    }

    passes.print();
    std::printf("ui_longest_stall_ms=%.1f\n", longestStallMs);
    printMemory();
    std::printf("cpu_seconds_per_round: model_exiftool=%.2f batch_exiftool=%.2f\n", modelToolCpu / rounds,
                batchCpu / rounds);
    std::printf("runs_persistent=%lld runs_one_shot=%lld\n", pipeline->runner.counts().persistent,
                pipeline->runner.counts().oneShot);
    std::printf("ratio_vs_same_strip_batch=%.2f\n", median(sameStripRatios));
    std::printf("ratio_vs_exiftool_batch=%.2f\n", median(ratios));
    return 0;
}

int load(int count)
{
    const int drops = 20, perDrop = 25;
    QTemporaryDir work;
    if (!work.isValid())
        qFatal("no temporary folder");
    const QString sample = Fixtures::make(work.path(), "jpg", QStringLiteral("sample.jpg"));
    const QList<QUrl> first = copies(sample, work.filePath(QStringLiteral("drop")), count);
    QList<QList<QUrl>> later;
    for (int i = 0; i < drops; ++i)
        later.append(copies(sample, work.filePath(QStringLiteral("drop-%1").arg(i)), perDrop));
    pipeline->cleaner.exiftool().prepare().waitForFinished();

    const ModelRun run = runModel(first, later, /*watchMachine=*/true);
    checkComplete(run, count + drops * perDrop);
    std::printf("files=%d in one drop, then %d drops of %d\n", count, drops, perDrop);
    std::printf("seconds=%.1f\n", run.seconds);
    printMemory();
    printStalls(run.longestStallMs, run.longestOwnStallMs, run.longestMachineFreezeMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--idle-watch") == 0)
        idleWatch();
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool loadMode = arguments.removeAll(QStringLiteral("--load")) > 0;
    const bool largeMode = arguments.removeAll(QStringLiteral("--large")) > 0;
    int rounds = 4;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--rounds")); at >= 0) {
        rounds = arguments.value(at + 1).toInt();
        arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    }
    bool valid = true;
    const int count = arguments.isEmpty() ? (loadMode ? 5000 : 100) : arguments.first().toInt(&valid);
    if (!valid || count < 1 || rounds < 1 || arguments.size() > 1) {
        std::fprintf(stderr, "usage: tessaly_bench [N] [--rounds R]\n       tessaly_bench --load [N]\n"
                             "       tessaly_bench --large\n");
        return 2;
    }
    PassTimes::setEnabled(true);
    Pipeline shared;
    pipeline = &shared;
    if (largeMode)
        return largeFiles(shared.cleaner);
    return loadMode ? load(count) : throughput(count, rounds);
}
