#pragma once

#include "StagingJournal.h"

#include <Expected.h>

#include <QByteArray>
#include <QString>

class OriginalFile;

// The one way a cleaned file reaches the user's folder. The cleaned version
// is written into a private folder (0700; its files 0600) made beside the
// original, flushed to disk and given the original's attributes, then moved
// into place with one rename: over the original, or as a new file that never
// replaces anything. Whoever opens the file sees the old version or the whole
// new one. The steps after the tools are types of their own
// (WriteTransaction.h): only a copy that passed its check can be moved into
// place. Dropped without a commit (a failure, a quit), the folder and all in
// it are removed; a crash leaves a journal note so the next start does.
class StagedCopy
{
public:
    // Makes the private folder beside `original` and the name the cleaned
    // version is to be written to (the original's own name, inside it).
    static Expected<StagedCopy> create(const OriginalFile &original, const StagingJournal *journal);

    StagedCopy(StagedCopy &&other) noexcept;
    StagedCopy &operator=(StagedCopy &&) = delete;
    StagedCopy(const StagedCopy &) = delete;
    ~StagedCopy();

    // Where tools write the cleaned version, as text (through a descriptor
    // of the folder when its path is not UTF-8). Nothing is there yet.
    const QString &path() const { return m_path; }
    // A name without an extension in the same folder, for a tool that would
    // take the extension of its output for a format it cannot write
    // (exiftool and WebP); moveToPath() then gives the version its name.
    QString scratchPath() const { return m_folder + QStringLiteral("/cleaned"); }
    Expected<Success> moveToPath();

    // Starts the cleaned version as a byte-for-byte copy of the original, for
    // tools that edit a file in place.
    Expected<Success> copyOriginal(const OriginalFile &original);

private:
    // The steps after the tools, in the order WrittenCopy and CheckedCopy
    // allow them and no other.
    friend class WrittenCopy;
    friend class CheckedCopy;

    // After the tools: checks the version is there, gives it the original's
    // owner, mode, ACL and attributes (those that describe the file or say
    // where it came from excepted) and, when asked, its modification time, and starts
    // writing it to disk.
    Expected<Success> finish(const OriginalFile &original, bool keepModificationTime);

    // Both ways into place first flush the version to disk (fsync, checked).
    // Renames the finished version over the original, but only while the
    // original is still the file that was read and nobody is writing it, and
    // only when the version could be given the original's owner and group:
    // another group would let its members read what they could not before.
    Expected<Success> replace(const OriginalFile &original);

    // Renames the finished version to a new name in the original's folder,
    // never over an existing file: "<name> (cleaned).<ext>", then
    // "(cleaned 2)" and so on. Returns the path it took. A copy that could
    // not keep the original's group is the user's, and its group gets no rights.
    Expected<QByteArray> saveAsCopy(const OriginalFile &original);

    Expected<Success> flush();
    StagedCopy(QByteArray folder, QByteArray fileName, QString displayName, StagingJournal::Note note);
    void dropFolder();

    // The real paths, for the calls that move and remove; the texts above
    // are for the tools.
    QByteArray m_folderBytes;
    QByteArray m_pathBytes;
    int m_folderFd = -1;
    QString m_folder;
    QString m_path;
    QString m_displayName;
    StagingJournal::Note m_note;
    bool m_ownerKept = true;
    bool m_groupKept = true;
};

// "<base> (cleaned).<ext>" or, for n > 1, "<base> (cleaned n).<ext>".
QByteArray cleanedCopyName(const QByteArray &fileName, int n);
// Whether a name is already such a copy's: those are cleaned in place.
bool isCleanedCopyName(const QString &fileName);
