#pragma once

#include "StagingJournal.h"

#include <CleanResult.h>
#include <ExifToolService.h>
#include <FileIdentity.h>
#include <KeptFamilies.h>
#include <SupportedFormat.h>

#include <QUrl>
#include <QUuid>

#include <atomic>
#include <optional>

// What the user chose about the result of a clean.
struct CleaningChoices
{
    // Keep the original untouched and save "<name> (cleaned).<ext>" beside it.
    bool keepOriginal = false;
    // Give the cleaned file the original's modification time.
    bool keepModificationDate = false;
    // What of the metadata stays; by default nothing does.
    KeptFamilies kept;

    friend bool operator==(const CleaningChoices &, const CleaningChoices &) = default;
};

// One file to clean, as the list knows it.
struct CleanRequest
{
    QUuid id;
    QUrl url;
    std::optional<SupportedFormat> format;
    std::optional<FileIdentity> identity; // what the URL led to when it was added
    CleaningChoices choices;
    // Set by whoever queued the job to give it up: the clean stops between
    // its steps and its staged copy goes. Null when nobody will.
    const std::atomic<bool> *cancel = nullptr;
};

class OriginalFile;
class StagedCopy;

// Reads, cleans and reads again one file: the whole job of a row. Refuses
// what must not be rewritten (folders, devices, files with other names,
// files that are not what their name says, files others are writing or
// cleaning), cleans the rest into a staged copy with the tool its format
// needs, checks that copy, and only then moves it into place (StagedCopy).
// Safe to use from several worker threads at once.
class FileCleaner
{
public:
    FileCleaner(ToolPaths paths, ToolRunner &runner, RunLimits limits = {}, const StagingJournal *journal = nullptr);

    CleanResult clean(const CleanRequest &request) const;

    const ExifToolService &exiftool() const { return m_exiftool; }
    const ToolPaths &paths() const { return m_exiftool.paths(); }

private:
    Expected<CleanResult> cleanFile(const CleanRequest &request) const;
    // What a writer says of its work beyond the file it wrote: content it
    // kept, and pieces it removed that exiftool's listing does not show.
    struct WriterNotes
    {
        QList<ContainerItem> kept;
        MetadataTable removed;
    };
    // The tools of the format's plan write the cleaned version into `copy`;
    // a native writer from `originalBytes` when the caller has read them.
    Expected<WriterNotes> write(SupportedFormat format, const OriginalFile &original, const QByteArray *originalBytes,
                                StagedCopy &copy, const std::atomic<bool> *cancel, const KeptFamilies &kept) const;
    // exiftool copies the tags of the kept families from the original into the written copy.
    Expected<Success> copyBack(const OriginalFile &original, StagedCopy &copy, const KeptFamilies &kept) const;

    ExifToolService m_exiftool;
    ToolRunner &m_runner;
    const StagingJournal *m_journal;
};
