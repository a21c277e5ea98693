#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// A note, in the app's state folder, of every staged folder while it exists,
// so that copies left by an app that was killed or crashed are found and
// removed at the next start. Each note is locked by the app that wrote it for
// as long as it lives: a note that can be locked belongs to an app that is
// gone, whereas another window's notes stay locked and are left alone.
class StagingJournal
{
    struct Spares;

public:
    // Notes live in `<folder>`; the app uses <state home>/tessaly/staging.
    explicit StagingJournal(QString folder);
    // Removes the spare notes it kept; notes still out are removed when discarded.
    ~StagingJournal();
    StagingJournal(const StagingJournal &) = delete;
    StagingJournal &operator=(const StagingJournal &) = delete;

    // $XDG_STATE_HOME/tessaly/staging, or ~/.local/state/tessaly/staging.
    static QString defaultFolder();

    class Note
    {
    public:
        Note() = default;
        Note(Note &&other) noexcept;
        Note &operator=(Note &&other) noexcept;
        ~Note();
        Note(const Note &) = delete;
        Note &operator=(const Note &) = delete;

        // The staged folder is gone: the note goes too, or is emptied and
        // kept, still locked, for the journal's next note.
        void discard();
        // The staged folder could not be removed (a disk gone read-only):
        // the note stays as it is, unlocked, for a later sweep to retry.
        void release();

    private:
        friend class StagingJournal;
        QString m_path;
        int m_fd = -1;
        std::shared_ptr<Spares> m_spares;
    };

    // Writes a note naming `stagedFolder` before that folder is made. An
    // empty note when the journal cannot be written: cleaning goes on.
    Note note(const QByteArray &stagedFolder) const;

    // Removes the staged folders of notes nobody holds, and each note whose
    // folder is then gone; a note whose folder stays is kept for the next
    // sweep. Returns how many staged folders it removed.
    int sweep() const;

    const QString &folder() const { return m_folder; }

private:
    QString m_folder;
    std::shared_ptr<Spares> m_spares;
};

// Staged folders are named so that nobody takes them for their own files
// and a sweep never removes anything else.
inline constexpr char stagedFolderPrefix[] = ".tessaly-staging-";

// Removes a staged folder and the files in it (it holds no folders).
// Whether the folder is gone afterwards.
bool removeStagedFolder(const QByteArray &folder);
