#include "NativeCleaner.h"

#include "OriginalFile.h"
#include "WholeFile.h"

#include <GifContainer.h>
#include <HeifItems.h>
#include <HeifMetadataRemoval.h>
#include <FlacBlocks.h>
#include <IccProfile.h>
#include <JpegContainer.h>
#include <JxlContainer.h>
#include <Mp3Frames.h>
#include <OggPages.h>
#include <RiffWave.h>
#include <SvgDrawing.h>
#include <TiffDirectories.h>
#include <PngContainer.h>
#include <WebpContainer.h>

#include <QFile>


namespace NativeCleaner {

namespace {

// Pictures are read whole: the walkers refuse anything larger.
constexpr quint16 iccProfileTag = 0x8773;

constexpr qint64 largestPicture = qint64(1) << 30;


Expected<QByteArrayList> whole(Expected<QByteArray> cleaned)
{
    if (!cleaned)
        return cleaned.error();
    return QByteArrayList {std::move(cleaned).value()};
}

// The cleaned file as the pieces it is written from. A photo's coded data,
// nearly all of it, is written from the original's bytes where they lie.
Expected<QByteArrayList> cleaned(SupportedFormat format, QByteArrayView bytes)
{
    switch (format) {
    case SupportedFormat::png:
        return whole(cleanPng(bytes));
    case SupportedFormat::webp:
        return whole(cleanWebp(bytes));
    case SupportedFormat::gif:
        return whole(cleanGif(bytes));
    case SupportedFormat::jxl:
        return whole(cleanJxl(bytes));
    case SupportedFormat::mp3:
        return whole(cleanMp3(bytes));
    case SupportedFormat::flac:
        return whole(cleanFlac(bytes));
    case SupportedFormat::ogg:
    case SupportedFormat::opus:
        return whole(cleanOgg(bytes));
    case SupportedFormat::wav:
        return whole(cleanWav(bytes));
    case SupportedFormat::svg:
        return whole(cleanSvg(bytes));
    default:
        return cleanJpegPieces(bytes);
    }
}

ContainerWalk walked(SupportedFormat format, QByteArrayView bytes)
{
    switch (format) {
    case SupportedFormat::png:
        return walkPng(bytes);
    case SupportedFormat::webp:
        return walkWebp(bytes);
    case SupportedFormat::gif:
        return walkGif(bytes);
    case SupportedFormat::jxl:
        return walkJxl(bytes);
    case SupportedFormat::mp3:
        return walkMp3(bytes);
    case SupportedFormat::flac:
        return walkFlac(bytes);
    case SupportedFormat::ogg:
    case SupportedFormat::opus:
        return walkOgg(bytes);
    case SupportedFormat::wav:
        return walkWav(bytes);
    case SupportedFormat::svg:
        return walkSvg(bytes);
    default:
        return walkJpeg(bytes);
    }
}


// The profile scrubbed and padded with zeros to the length it had, so the
// box around it keeps its size and nothing after it moves.
std::optional<QByteArray> scrubbedInPlace(const QByteArray &profile)
{
    auto cleaned = cleanIcc(profile);
    if (!cleaned || cleaned.value().size() > profile.size())
        return std::nullopt;
    QByteArray padded = cleaned.value();
    padded.append(QByteArray(profile.size() - padded.size(), '\0'));
    const quint32 size = quint32(padded.size());
    padded[0] = char(size >> 24);
    padded[1] = char(size >> 16);
    padded[2] = char(size >> 8);
    padded[3] = char(size);
    return padded;
}

bool isTiffBased(SupportedFormat format)
{
    switch (format) {
    case SupportedFormat::dng:
    case SupportedFormat::nef:
    case SupportedFormat::arw:
    case SupportedFormat::cr2:
    case SupportedFormat::tif:
    case SupportedFormat::tiff:
    case SupportedFormat::orf:
    case SupportedFormat::rw2:
    case SupportedFormat::pef:
    case SupportedFormat::srw:
        return true;
    default:
        return false;
    }
}

bool isHeif(SupportedFormat format)
{
    return format == SupportedFormat::heic || format == SupportedFormat::avif;
}

} // namespace

Expected<Success> cleanHeifInPlace(const QString &path, const QString &displayName)
{
    if (auto removed = HeifMetadataRemoval::remove(path); !removed)
        return removed.error();
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    const ContainerWalk walk = walkHeif(file);
    if (walk.damage)
        return CleanError(CleanError::Kind::damagedFile, {displayName, *walk.damage});
    for (const ContainerItem &item : walk.items) {
        // colr: size, type, colour type ("prof" or "rICC"), then the profile.
        if (item.type != "colr" || (item.detail != u"prof" && item.detail != u"rICC") || item.size <= 12)
            continue;
        if (!file.seek(item.offset + 12))
            return CleanError(CleanError::Kind::damagedFile, {displayName, QStringLiteral("colr")});
        const QByteArray profile = file.read(item.size - 12);
        const auto scrubbed = scrubbedInPlace(profile);
        if (profile.size() != item.size - 12 || !scrubbed)
            return CleanError(CleanError::Kind::damagedFile, {displayName, QStringLiteral("colr")});
        if (!file.seek(item.offset + 12) || file.write(*scrubbed) != scrubbed->size())
            return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    }
    if (!file.flush())
        return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    return Success{};
}

Expected<Success> scrubTiffProfileInPlace(const QString &path, const QString &displayName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    const ContainerWalk walk = walkTiff(file);
    if (walk.damage)
        return CleanError(CleanError::Kind::damagedFile, {displayName, *walk.damage});
    for (const ContainerItem &item : walk.items) {
        if (item.type != TiffDirectories::nameOf(iccProfileTag))
            continue;
        if (!file.seek(item.offset))
            return CleanError(CleanError::Kind::damagedFile, {displayName, QStringLiteral("ICC_Profile")});
        const QByteArray profile = file.read(item.size);
        const auto scrubbed = scrubbedInPlace(profile);
        if (profile.size() != item.size || !scrubbed)
            return CleanError(CleanError::Kind::damagedFile, {displayName, QStringLiteral("ICC_Profile")});
        if (!file.seek(item.offset) || file.write(*scrubbed) != scrubbed->size())
            return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    }
    if (!file.flush())
        return CleanError(CleanError::Kind::writeFailed, {displayName, file.errorString()});
    return Success{};
}

bool handles(SupportedFormat format)
{
    switch (format) {
    case SupportedFormat::jpg:
    case SupportedFormat::jpeg:
    case SupportedFormat::png:
    case SupportedFormat::webp:
    case SupportedFormat::gif:
    case SupportedFormat::jxl:
    case SupportedFormat::mp3:
    case SupportedFormat::flac:
    case SupportedFormat::ogg:
    case SupportedFormat::opus:
    case SupportedFormat::wav:
    case SupportedFormat::svg:
        return true;
    default:
        return false;
    }
}

std::optional<QByteArray> readOriginal(const OriginalFile &original)
{
    return WholeFile::read(original.descriptor(), original.size(), largestPicture);
}

bool walks(SupportedFormat format)
{
    return handles(format) || isHeif(format) || isTiffBased(format);
}

Expected<Success> clean(SupportedFormat format, const OriginalFile &original, const QString &destination)
{
    const auto bytes = readOriginal(original);
    if (!bytes)
        return CleanError(CleanError::Kind::damagedFile, {original.displayName(), QStringLiteral("size")});
    return clean(format, *bytes, original.displayName(), destination);
}

Expected<Success> clean(SupportedFormat format, QByteArrayView original, const QString &displayName,
                        const QString &destination)
{
    auto result = cleaned(format, original);
    if (!result) {
        const ContainerWalk walk = walked(format, original);
        return CleanError(CleanError::Kind::damagedFile, {displayName, walk.damage.value_or(QStringLiteral("?"))});
    }
    return WholeFile::writeNew(destination, result.value(), displayName);
}

ContainerWalk walkBytes(SupportedFormat format, QByteArrayView bytes)
{
    return walked(format, bytes);
}

std::optional<ContainerWalk> walk(SupportedFormat format, const QString &path)
{
    QFile file(path);
    ContainerWalk unreadable;
    if (isHeif(format) || isTiffBased(format)) {
        if (!file.open(QIODevice::ReadOnly)) {
            unreadable.damage = QStringLiteral("unreadable");
            return unreadable;
        }
        return isHeif(format) ? walkHeif(file) : walkTiff(file);
    }
    if (!handles(format))
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestPicture) {
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    return walked(format, bytes);
}

} // namespace NativeCleaner
