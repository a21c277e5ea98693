// Cleans N copies of a camera-sized JPEG through the view model, the way the
// app does, and times exiftool's own one-process batch strip of another N
// copies as the yardstick. Prints the two times, the longest stall of the
// UI thread during the model run, peak memory, the CPU time exiftool took on
// each side (which says how far apart the two can be on two cores), and last
// the ratio.
//
//   tessaly_bench [N]      (default 100)

#include <StayOpenRunner.h>
#include <TessalyViewModel.h>
#include <TestFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Noise over a gradient compresses badly, like a real photo: at quality 95
// this lands near 3 MB.
QString makeSourceJpeg(const QString &directory)
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
    TestFiles::runExifTool({QStringLiteral("-overwrite_original"),
                            QStringLiteral("-EXIF:Artist=Jane Marker"),
                            QStringLiteral("-EXIF:Make=TessalyCam"),
                            QStringLiteral("-EXIF:Model=TC-1"),
                            QStringLiteral("-EXIF:SerialNumber=SN-424242"),
                            QStringLiteral("-EXIF:DateTimeOriginal=2024:06:01 12:00:00"),
                            QStringLiteral("-GPSLatitude=48.8583"), QStringLiteral("-GPSLatitudeRef=N"),
                            QStringLiteral("-GPSLongitude=2.2945"), QStringLiteral("-GPSLongitudeRef=E"),
                            QStringLiteral("-GPSAltitude=35"),
                            QStringLiteral("-XMP-dc:Creator=Jane Marker"),
                            QStringLiteral("-XMP-dc:Description=Holiday"),
                            path});
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

qint64 statusKilobytes(const QString &statusFile, const char *field)
{
    QFile file(statusFile);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The exiftool processes this process started and that are still alive: the
// persistent workers, if the runner keeps any.
QList<qint64> exiftoolChildren()
{
    QList<qint64> pids;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = status.readAll();
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        cmdline.open(QIODevice::ReadOnly);
        if (text.contains("\nPPid:\t" + self.toLatin1() + "\n") && cmdline.readAll().contains("exiftool"))
            pids.append(pid);
    }
    return pids;
}

double childrenCpuSeconds()
{
    rusage usage;
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct ModelRun
{
    double seconds = 0;
    double longestStallMs = 0;
    double longestStallEndedAtMs = 0;
    qint64 done = 0;
    qint64 failed = 0;
    QString firstError;
    bool metadataRemoved = false;
    qint64 workersPeakKb = 0;
    double toolCpuSeconds = 0; // live workers, and every child reaped during the run
    double benchCpuSeconds = 0;
    int workers = 0;
};

// User plus system time of a live process, from /proc/PID/stat.
double cpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / ::sysconf(_SC_CLK_TCK);
}

ModelRun runModel(const QList<QUrl> &urls)
{
    ModelOptions options;
    // The tail only keeps the finished run on screen a moment; it is no work.
    options.runTail = std::chrono::milliseconds(0);
    TessalyViewModel model(options);

    ModelRun run;
    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    const double cpuBefore = cpuSeconds(QCoreApplication::applicationPid());
    const double childrenBefore = childrenCpuSeconds();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6;
        if (gap > run.longestStallMs) {
            run.longestStallMs = gap;
            run.longestStallEndedAtMs = clock.nsecsElapsed() / 1e6;
        }
        sinceTick.restart();
    });
    QObject::connect(&model, &TessalyViewModel::isProcessingChanged, &loop, [&] {
        if (!model.isProcessing())
            loop.quit();
    });

    ticker.start();
    sinceTick.start();
    clock.start();
    model.addFiles(urls);
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    run.benchCpuSeconds = cpuSeconds(QCoreApplication::applicationPid()) - cpuBefore;
    run.toolCpuSeconds = childrenCpuSeconds() - childrenBefore;

    run.done = model.doneCount();
    run.failed = model.errorCount();
    for (const FileItem &item : model.files()) {
        if (item.errorMessage && run.firstError.isEmpty())
            run.firstError = *item.errorMessage;
    }
    const FileItem &first = model.files().constFirst();
    run.metadataRemoved = first.metadataBefore.value(QStringLiteral("Artist")) == QStringLiteral("Jane Marker")
                          && !first.metadataAfter.contains(QStringLiteral("Artist"))
                          && !first.metadataAfter.contains(QStringLiteral("GPSLatitude"));

    for (qint64 pid : exiftoolChildren()) {
        run.workersPeakKb += statusKilobytes(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM:");
        run.toolCpuSeconds += cpuSeconds(pid);
        ++run.workers;
    }
    return run;
}

struct BatchRun
{
    double seconds = 0;
    double cpuSeconds = 0;
};

BatchRun runBatch(const QString &exiftool, const QString &directory)
{
    QProcess process;
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    process.start(exiftool, {QStringLiteral("-all="), QStringLiteral("-overwrite_original"), directory});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("batch strip failed: %s", process.readAllStandardError().constData());
    return {clock.nsecsElapsed() / 1e9, childrenCpuSeconds() - cpuBefore};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    bool valid = true;
    const int count = arguments.size() > 1 ? arguments.at(1).toInt(&valid) : 100;
    if (!valid || count < 1) {
        std::fprintf(stderr, "usage: %s [N]\n", qPrintable(QFileInfo(arguments.at(0)).fileName()));
        return 2;
    }

    QTemporaryDir work;
    if (!work.isValid())
        qFatal("no temporary folder");
    const QString source = makeSourceJpeg(work.path());
    const QList<QUrl> modelFiles = copies(source, work.filePath(QStringLiteral("model")), count);
    const QString batchDirectory = work.filePath(QStringLiteral("batch"));
    copies(source, batchDirectory, count);
    const QString exiftool = TestFiles::bundledExifTool();
    // Both sides then start with Perl and its modules in the page cache.
    TestFiles::runExifTool({QStringLiteral("-ver")});

    std::printf("files=%d source_bytes=%lld\n", count, QFileInfo(source).size());
    std::fflush(stdout);

    const ModelRun model = runModel(modelFiles);
    if (model.done != count || !model.metadataRemoved) {
        std::fprintf(stderr, "model run incomplete: %lld done, %lld failed (%s), metadata removed: %d\n",
                     model.done, model.failed, qPrintable(model.firstError), int(model.metadataRemoved));
        return 1;
    }
    const BatchRun batch = runBatch(exiftool, batchDirectory);

    std::printf("model_seconds=%.3f\n", model.seconds);
    std::printf("exiftool_batch_seconds=%.3f\n", batch.seconds);
    std::printf("ui_longest_stall_ms=%.1f (ended %.0f ms into the run)\n", model.longestStallMs,
                model.longestStallEndedAtMs);
    std::printf("peak_rss_kb=%lld\n", statusKilobytes(QStringLiteral("/proc/self/status"), "VmHWM:"));
    std::printf("exiftool_workers=%d workers_peak_rss_kb_total=%lld\n", model.workers, model.workersPeakKb);
    std::printf("cpu_seconds: model_exiftool=%.2f model_process=%.2f batch_exiftool=%.2f\n", model.toolCpuSeconds,
                model.benchCpuSeconds, batch.cpuSeconds);
    if (const auto *runner = dynamic_cast<const StayOpenRunner *>(ToolRunner::shared().get())) {
        std::printf("runs_persistent=%lld runs_one_shot=%lld\n", runner->counts().persistent,
                    runner->counts().oneShot);
    }
    std::printf("ratio_vs_exiftool_batch=%.2f\n", model.seconds / batch.seconds);
    return 0;
}
