#pragma once

#include "PdfReport.h"

#include <ContainerItem.h>
#include <Expected.h>
#include <MetadataTable.h>
#include <RunLimits.h>
#include <SupportedFormat.h>

#include <QString>

#include <atomic>
#include <optional>

// PDFs are rewritten by our own helper, tessaly-pdf-clean, in a process of
// its own: a hostile document (a page tree nested thousands deep, a stream
// that inflates to gigabytes) can then crash it or make it run out of time or
// memory, and that costs this one file, never the app. The helper writes the
// document anew without its Info dictionary, XMP streams, application data,
// old revisions and document IDs, attachments, scripts, annotation authors and
// dates, comments in page streams and the metadata of the pictures inside,
// checks that what it wrote opens strictly, with every page, and looks it
// over for anything that should have gone.
namespace PdfCleaner {

// The address space the helper may use: generous for real documents,
// fatal for decompression bombs.
qint64 memoryLimitFor(qint64 fileSize);

// The helper's report (one JSON object on its standard output); nullopt when
// it is not one.
std::optional<PdfReport> parseReport(const QByteArray &json);

// A PDF that opens only with a password, refused before anything else reads
// it: the metadata reader alone spends many seconds on such a file. nullopt
// for other files and for PDFs that open (or fail otherwise: the clean says
// why).
std::optional<Failure> refuseLocked(const std::optional<QString> &helper, SupportedFormat format, const QString &path,
                                    const QString &displayName);

// Cleans `source` into `destination` (which must not exist). `displayName`
// is the user's name for the file, for messages. The report says what the
// document kept and what it lost.
Expected<PdfReport> clean(const QString &helper, const QString &source, const QString &destination,
                        const QString &displayName, const RunLimits &limits, const std::atomic<bool> *cancel);

// What the report says stays: the document's content, counted, for the
// log's "Still in the file" (type: the finding's name; place: its page).
QList<ContainerItem> keptContent(const PdfReport &report);
// What the report says went that exiftool's listing never shows
// (attachments by name, scripts, comments in page streams), for the log.
MetadataTable removedParts(const PdfReport &report);

} // namespace PdfCleaner
