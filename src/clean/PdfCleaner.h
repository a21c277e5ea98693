#pragma once

#include <Expected.h>
#include <RunLimits.h>

#include <QString>

#include <atomic>

// PDFs are rewritten by our own helper, tessaly-pdf-clean, in a process of
// its own: a hostile document (a page tree nested thousands deep, a stream
// that inflates to gigabytes) can then crash it or make it run out of time or
// memory, and that costs this one file, never the app. The helper writes the
// document anew without its Info dictionary, XMP streams, application data,
// old revisions and document IDs, strips the metadata of the JPEG pictures
// inside, and checks that what it wrote opens strictly, with every page.
namespace PdfCleaner {

// The address space the helper may use: generous for real documents,
// fatal for decompression bombs.
qint64 memoryLimitFor(qint64 fileSize);

// Cleans `source` into `destination` (which must not exist). `displayName`
// is the user's name for the file, for messages.
Expected<Success> clean(const QString &helper, const QString &source, const QString &destination,
                        const QString &displayName, const RunLimits &limits, const std::atomic<bool> *cancel);

} // namespace PdfCleaner
