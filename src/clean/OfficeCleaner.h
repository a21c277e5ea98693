#pragma once

#include <ContainerItem.h>
#include <Expected.h>
#include <SupportedFormat.h>

#include <QList>
#include <QString>

class OriginalFile;

// Office documents and EPUBs are cleaned in the app's own process, unlike
// PDFs: the archive is read from memory by libzip, which is given nothing
// to follow but a buffer, after the entry count, each entry's size, the sum
// and its ratio to the packed size were checked from the directory; the XML
// is read by a streaming reader that never expands an entity (a document type
// that declares one refuses the file) and needs no more memory than the part
// it reads. What a crash could cost is bounded the same way a picture's is.
namespace OfficeCleaner {

// Writes the cleaned version of `original` to `destination`, a new file, and
// returns what stays that the log should name: an e-book's title and author.
Expected<QList<ContainerItem>> clean(SupportedFormat format, const OriginalFile &original, const QString &destination);

// The walk of the archive at `path`, for the residue check.
ContainerWalk walk(SupportedFormat format, const QString &path);

} // namespace OfficeCleaner
