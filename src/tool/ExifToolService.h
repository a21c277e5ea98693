#pragma once

#include "RunLimits.h"
#include "ToolLocator.h"
#include "ToolRunner.h"

#include <Expected.h>
#include <MetadataTable.h>

#include <QString>
#include <QUrl>

// The one component that runs exiftool: it knows where the tool is and the
// two invocations the app makes of it, a read into a flat table and a write
// of a cleaned copy. Its operations block the calling thread while the tool
// runs: call them from a worker, never the UI thread.
class ExifToolService
{
public:
    ExifToolService(ToolPaths paths, ToolRunner &runner, RunLimits limits = {});

    // Fails with binaryNotFound when the resource folder has no "exiftool".
    Expected<QString> exiftoolPath() const;

    // `exiftool -a -u -G1 -j <path>`, parsed into a flat table keyed
    // "Group:Name": every tag, duplicates and unknown ones included, without
    // the file system's fields (name, folder, size, dates, permissions).
    Expected<MetadataTable> readMetadata(const QUrl &from) const;
    Expected<MetadataTable> readMetadata(const QString &path) const;
    // The same, with the documents embedded in the file (`-ee`: timed GPS
    // samples of a movie's tracks, pictures inside a PDF) read too.
    Expected<MetadataTable> readEverything(const QString &path) const;
    // Every tag by group and duplicates (`-a -G1`), without unknown tags or
    // embedded documents: for pictures, whose every segment, chunk and item
    // the app walks itself, which is where unknown blocks show. Of the tags
    // exiftool derives from others, only the embedded pictures are listed
    // (IFD1:ThumbnailImage, SubIFD:PreviewImage and the like), named by the
    // app from the tags that place them.
    Expected<MetadataTable> readTags(const QString &path) const;
    // The same without scanning a JPEG's picture data for a trailer (`-fast`).
    Expected<MetadataTable> readHeaderTags(const QString &path) const;

    // `exiftool -all= [extraArguments] -o - <source>`: writes a copy of
    // `source` without its metadata to `destination`, which must not exist.
    // The tool only reads; the copy reaches `destination` through Tessaly.
    Expected<Success> writeCleanCopy(const QString &source, const QString &destination,
                                     const QStringList &extraArguments) const;

    // Any other question for the tool, answered on standard output; the
    // tool reaches what `grant` names.
    Expected<QByteArray> runProcess(const QStringList &arguments, qint64 fileSize,
                                    const SandboxGrant &grant = {}) const;

    // Has the runner start the tool ahead of the first file; see ToolRunner::prepare.
    QFuture<void> prepare() const;
    // The same for the runs that read `file`'s folder (see ToolRunner::prepareFor).
    QFuture<void> prepareFor(const QString &file) const;

    const ToolPaths &paths() const { return m_paths; }
    const RunLimits &limits() const { return m_limits; }

private:
    Expected<MetadataTable> read(const QStringList &arguments) const;
    Expected<MetadataTable> readPictureTags(QStringList arguments, const QString &path) const;

    ToolPaths m_paths;
    ToolRunner &m_runner;
    RunLimits m_limits;
};

// The path handed to the tool: always absolute, so that a name such as
// "-all=.jpg" can never be taken for an option. Empty for a non-file URL.
QString toolPathArgument(const QUrl &url);
