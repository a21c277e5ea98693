#pragma once

#include "Expected.h"
#include "RunLimits.h"
#include "ToolRunner.h"

#include <MetadataTable.h>

#include <QString>
#include <QUrl>

#include <memory>

// Where a service finds the tool and how it runs it. The defaults are the
// app's own: the shipped exiftool, the shared runner, the standard limits.
// Tests point these elsewhere.
struct ServiceOptions
{
    QString resourceDirectory;              // empty: ToolLocator::defaultResourceDirectory()
    RunLimits limits;
    std::shared_ptr<ToolRunner> runner;     // null: ToolRunner::shared()
};

// The one component that knows where exiftool is and how to run it. A
// service is made for one file's processing and dropped afterwards, so the
// tool is located anew for every file. Its operations block the calling
// thread while the tool runs: call them from a worker, never the UI thread.
class ExifToolService
{
public:
    // Fails with binaryNotFound when the resource folder has no "exiftool".
    static Expected<ExifToolService> create(const ServiceOptions &options = {});

    // Has the runner start the tool ahead of the first file, so that the
    // first drop does not wait for it. Returns at once; see ToolRunner::prepare.
    static QFuture<void> prepare(const ServiceOptions &options = {});

    const QString &exiftoolPath() const { return m_exiftoolPath; }

    // `exiftool -all -j <path>`, parsed into a flat table.
    Expected<MetadataTable> readMetadata(const QUrl &from) const;

    // `exiftool -all= -overwrite_original [what the format needs] <path>`,
    // then the format's own steps (StripPlan): the file is replaced whole by
    // its cleaned version, or left as it was when any step fails. A symbolic
    // link stays a link; the file it points to is cleaned.
    Expected<Success> stripMetadata(const QUrl &from) const;

private:
    ExifToolService(QString exiftoolPath, RunLimits limits, std::shared_ptr<ToolRunner> runner);

    Expected<QByteArray> runProcess(const QStringList &arguments, std::chrono::milliseconds limit) const;
    Expected<Success> runStrip(const QString &path, const QStringList &extraArguments) const;
    Expected<Success> stripThroughCopy(const QString &path, const QStringList &extraArguments) const;
    Expected<Success> stripPdf(const QString &path, const QStringList &extraArguments) const;
    Expected<Success> stripMatroska(const QString &path) const;

    QString m_exiftoolPath;
    RunLimits m_limits;
    std::shared_ptr<ToolRunner> m_runner;
};

// The path handed to the tool: always absolute, so that a name such as
// "-all=.jpg" can never be taken for an option. Empty for a non-file URL.
QString toolPathArgument(const QUrl &url);
