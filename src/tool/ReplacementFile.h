#pragma once

#include "Expected.h"

#include <QString>

// A new version of a user's file, written beside it in the same folder and
// moved over it with one rename: anyone who opens the file gets the old
// version or the finished new one, never a part-written mix. Dropped without
// a commit, the new version is deleted and the file stays as it was.
class ReplacementFile
{
public:
    enum class Start { empty, copyOfTarget };

    // `target` must be the real file, not a symbolic link to it.
    static Expected<ReplacementFile> create(const QString &target, Start start);

    ReplacementFile(ReplacementFile &&other) noexcept;
    ReplacementFile &operator=(ReplacementFile &&) = delete;
    ReplacementFile(const ReplacementFile &) = delete;
    ~ReplacementFile();

    // Where to write the new version. Hidden, with the target's extension
    // (tools tell formats by it) and the target's permissions.
    const QString &path() const { return m_path; }

    // Flushes the new version to disk and renames it over the target.
    Expected<Success> commit();

private:
    ReplacementFile(QString target, QString path);

    QString m_target;
    QString m_path;
};
