#include "LargeFiles.h"

#include "PassTable.h"
#include "ProcStats.h"

#include <FileCleaner.h>
#include <FileItem.h>
#include <Fixtures.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void runOrDie(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
}

double timed(const QString &program, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    runOrDie(program, arguments);
    return clock.nsecsElapsed() / 1e9;
}

// Noise compresses badly: about 200 MB of MPEG-4 part 2 at its finest
// quantiser, then ten of it joined without re-encoding, and tags to strip.
QString makeMovie(const QDir &dir)
{
    const QString clip = dir.absoluteFilePath(QStringLiteral("clip.mp4"));
    runOrDie(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                                        QStringLiteral("lavfi"), QStringLiteral("-i"),
                                        QStringLiteral("color=c=gray:s=1920x1080:r=25,noise=alls=60:allf=t"),
                                        QStringLiteral("-frames:v"), QStringLiteral("150"), QStringLiteral("-c:v"),
                                        QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("1"), clip});
    QFile list(dir.absoluteFilePath(QStringLiteral("list.txt")));
    if (!list.open(QIODevice::WriteOnly))
        qFatal("cannot write the clip list");
    const qint64 copies = std::max<qint64>(1, (qint64(2) << 30) / std::max<qint64>(1, QFileInfo(clip).size()));
    for (qint64 i = 0; i < copies; ++i)
        list.write("file 'clip.mp4'\n");
    list.close();
    const QString movie = dir.absoluteFilePath(QStringLiteral("large.mp4"));
    runOrDie(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                                        QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                                        QStringLiteral("-i"), list.fileName(), QStringLiteral("-c"), QStringLiteral("copy"),
                                        QStringLiteral("-metadata"), QStringLiteral("title=Tsy Large Q7x"),
                                        QStringLiteral("-metadata"), QStringLiteral("location=+48.1+011.5/"), movie});
    QFile::remove(clip);
    return movie;
}

// A hundred pages, each one uncompressed 2 MB grey picture of noise, and an
// author to strip: written as it goes, never held whole.
QString makePdf(const QDir &dir)
{
    constexpr int pages = 100, side = 1448; // 1448² ≈ 2 MB
    const QString path = dir.absoluteFilePath(QStringLiteral("large.pdf"));
    QFile pdf(path);
    if (!pdf.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QList<qint64> offsets;
    const auto object = [&](const QByteArray &body, const QByteArray &stream = {}) {
        offsets.append(pdf.pos());
        pdf.write(QByteArray::number(offsets.size()) + " 0 obj\n" + body);
        if (!stream.isNull())
            pdf.write("\nstream\n" + stream + "\nendstream");
        pdf.write("\nendobj\n");
    };
    pdf.write("%PDF-1.4\n");
    // 1 catalog, 2 pages, 3 info, then a page, its contents and its picture per page.
    QByteArray kids;
    for (int page = 0; page < pages; ++page)
        kids += QByteArray::number(4 + 3 * page) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Count " + QByteArray::number(pages) + " /Kids [" + kids + "] >>");
    object("<< /Author (Tsy Author Q7x) /Creator (Tsy Creator Q7x) >>");
    QByteArray pixels(side * side, Qt::Uninitialized);
    quint32 state = 20240601;
    const QByteArray draw = "q 595 0 0 842 0 0 cm /Im Do Q";
    for (int page = 0; page < pages; ++page) {
        for (char &byte : pixels) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = char(state);
        }
        const QByteArray first = QByteArray::number(4 + 3 * page);
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents " + QByteArray::number(5 + 3 * page)
               + " 0 R /Resources << /XObject << /Im " + QByteArray::number(6 + 3 * page) + " 0 R >> >> >>");
        object("<< /Length " + QByteArray::number(draw.size()) + " >>", draw);
        object("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(side) + " /Height "
                   + QByteArray::number(side) + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Length "
                   + QByteArray::number(pixels.size()) + " >>",
               pixels);
    }
    const qint64 xref = pdf.pos();
    pdf.write("xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (qint64 offset : offsets)
        pdf.write(QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n");
    pdf.write("trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R /Info 3 0 R >>\nstartxref\n"
              + QByteArray::number(xref) + "\n%%EOF\n");
    if (!pdf.flush())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The peak resident memory from now on: Linux starts VmHWM afresh on "5".
void resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        std::fprintf(stderr, "cannot reset the peak memory; it counts from the start\n");
}

struct AppRun
{
    double seconds = 0;
    qint64 peakRssKb = 0;
};

AppRun cleanWithApp(const FileCleaner &cleaner, const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(path);
    resetPeakMemory();
    QElapsedTimer clock;
    clock.start();
    const CleanResult result = cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, {}});
    AppRun run {clock.nsecsElapsed() / 1e9, statusKb(QCoreApplication::applicationPid(), "VmHWM:")};
    if (!result.success())
        qFatal("the clean of %s failed: %s", qPrintable(path), qPrintable(result.errorMessage().value_or(QString())));
    return run;
}

QString copyOf(const QString &path, const QString &name)
{
    const QString copy = QFileInfo(path).absoluteDir().absoluteFilePath(name);
    if (!QFile::copy(path, copy))
        qFatal("cannot copy to %s", qPrintable(copy));
    return copy;
}

} // namespace

int largeFiles(const FileCleaner &cleaner)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tessaly-large-bench-XXXXXX"));
    if (!work.isValid())
        qFatal("no temporary folder");
    const QDir dir(work.path());
    cleaner.exiftool().prepare().waitForFinished();
    std::printf("loadavg_at_start=%s\n", readProcFile(QStringLiteral("/proc/loadavg")).trimmed().constData());

    const QString movie = makeMovie(dir);
    const QString movieCopy = copyOf(movie, QStringLiteral("large-app.mp4"));
    ::sync();
    const double movieTool = timed(Fixtures::program(QStringLiteral("exiftool")),
                                   {QStringLiteral("-q"), QStringLiteral("-all="), QStringLiteral("-overwrite_original"), movie});
    ::sync();
    const AppRun movieApp = cleanWithApp(cleaner, movieCopy);
    std::printf("mp4_bytes=%lld exiftool_seconds=%.2f app_seconds=%.2f app_peak_rss_kb=%lld\n",
                QFileInfo(movieCopy).size(), movieTool, movieApp.seconds, movieApp.peakRssKb);
    QFile::remove(movie);
    QFile::remove(movieCopy);
    std::fflush(stdout);

    const QString pdf = makePdf(dir);
    ::sync();
    // As typed, qpdf compresses every stream it finds uncompressed; the
    // app's helper, like the same-work run, copies streams as they are.
    const QString rewritten = dir.absoluteFilePath(QStringLiteral("qpdf-out.pdf"));
    const double pdfTool = timed(QStringLiteral("qpdf"), {pdf, rewritten});
    QFile::remove(rewritten);
    ::sync();
    const double pdfSameWork = timed(QStringLiteral("qpdf"), {QStringLiteral("--compress-streams=n"),
                                                              QStringLiteral("--decode-level=none"), pdf, rewritten});
    QFile::remove(rewritten);
    ::sync();
    const AppRun pdfApp = cleanWithApp(cleaner, pdf);
    std::printf("pdf_bytes=%lld qpdf_seconds=%.2f qpdf_same_work_seconds=%.2f app_seconds=%.2f app_peak_rss_kb=%lld\n",
                QFileInfo(pdf).size(), pdfTool, pdfSameWork, pdfApp.seconds, pdfApp.peakRssKb);
    PassTable passes;
    passes.passes = PassTimes::totals();
    std::printf("passes of the two cleans, summed:\n");
    for (int i = 0; i < PassTimes::passCount; ++i)
        std::printf("  pass %-12s %8.2f s\n", PassTimes::name(PassTimes::Pass(i)), passes.passes[i] / 1e9);
    std::printf("mp4_ratio_vs_exiftool=%.2f\n", movieApp.seconds / movieTool);
    std::printf("pdf_ratio_vs_qpdf=%.2f\n", pdfApp.seconds / pdfTool);
    std::printf("pdf_ratio_vs_qpdf_same_work=%.2f\n", pdfApp.seconds / pdfSameWork);
    return 0;
}
