#include "WindowPhotos.h"

#include "BenchChildren.h"
#include "CameraTags.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>

#include <sys/wait.h>

namespace WindowPhotos {

namespace {

void runTool(const QString &program, const QStringList &arguments)
{
    using namespace BenchChildren;
    const pid_t pid = spawn(QStringList{program} + arguments, currentEnvironment(), QStringLiteral("/dev/null"));
    const int status = reap(pid).first;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("%s %s failed", qPrintable(program), qPrintable(arguments.join(QLatin1Char(' '))));
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

} // namespace

// Built once and copied: a 12-megapixel photo near 2.7 MB, or a 64x48 one.
QString makeSource(const QString &directory, bool small, const QString &exiftool)
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
    runTool(exiftool, arguments);
    return path;
}

} // namespace WindowPhotos
