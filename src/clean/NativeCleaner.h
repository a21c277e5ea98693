#pragma once

#include <ContainerItem.h>
#include <Expected.h>
#include <SupportedFormat.h>

#include <QString>

#include <optional>

class OriginalFile;

// JPEG, PNG, WebP, GIF, JPEG XL and HEIF are simple enough to clean by the app's own allowed
// lists: what the picture needs is copied, everything else is left behind,
// and the orientation is written back by value. Lossless: the coded picture
// is copied byte for byte. Audio (MP3, FLAC, Ogg Vorbis and Opus, WAV) and
// SVG drawings are cleaned the same way, by walkers that check every bound of
// what a stranger wrote: their tag libraries would parse hostile input in the
// app's own process, where a crash costs every row, not one.
namespace NativeCleaner {

bool handles(SupportedFormat format);

// The original's bytes, read whole, or nothing when it is larger than any
// picture the walkers take or cannot be read.
std::optional<QByteArray> readOriginal(const OriginalFile &original);

// Writes the cleaned version of `original` to `destination`, a new file.
Expected<Success> clean(SupportedFormat format, const OriginalFile &original, const QString &destination);
// The same from the original's bytes, read once by the caller.
Expected<Success> clean(SupportedFormat format, QByteArrayView original, const QString &displayName,
                        const QString &destination);

// HEIF: the staged copy at `path` (a byte-for-byte copy of the original)
// loses every Exif, XMP and uri item of every image, thumbnails and
// auxiliary images included, and its colour profiles are scrubbed in place.
// The pictures are not touched.
Expected<Success> cleanHeifInPlace(const QString &path, const QString &displayName);

// TIFF: the staged copy's colour profile scrubbed where it lies, padded to
// its length, so that no offset in the file moves.
Expected<Success> scrubTiffProfileInPlace(const QString &path, const QString &displayName);

// Whether `walk` follows every piece of that kind: its own writers' kinds,
// HEIF and AVIF, and the TIFF-based ones.
bool walks(SupportedFormat format);

// The pieces of the file at `path`, for a kind the app walks.
std::optional<ContainerWalk> walk(SupportedFormat format, const QString &path);
// The pieces of a JPEG, PNG or WebP held in memory.
ContainerWalk walkBytes(SupportedFormat format, QByteArrayView bytes);

} // namespace NativeCleaner
