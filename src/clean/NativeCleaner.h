#pragma once

#include <ContainerItem.h>
#include <Expected.h>
#include <SupportedFormat.h>

#include <QString>

#include <optional>

class OriginalFile;

// JPEG, PNG and WebP are simple enough to clean by the app's own allowed
// lists: what the picture needs is copied, everything else is left behind,
// and the orientation is written back by value. Lossless: the coded picture
// is copied byte for byte.
namespace NativeCleaner {

bool handles(SupportedFormat format);

// Writes the cleaned version of `original` to `destination`, a new file.
Expected<Success> clean(SupportedFormat format, const OriginalFile &original, const QString &destination);

// The pieces of the file at `path`, for a kind this cleaner handles.
std::optional<ContainerWalk> walk(SupportedFormat format, const QString &path);

} // namespace NativeCleaner
