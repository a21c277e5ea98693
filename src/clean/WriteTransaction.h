#pragma once

#include "StagedCopy.h"

#include <Expected.h>

#include <QString>

#include <functional>
#include <sys/stat.h>

class OriginalFile;

// Writing a cleaned file is one transaction in four steps, and each step is a
// type that only the step before can make:
//
//   StagedCopy  - the private folder and the name the tools write to;
//   WrittenCopy - the tools are done: the version exists and has the
//                 original's owner, mode, ACL and harmless attributes;
//   CheckedCopy - an independent check read exactly this version and found
//                 nothing identifying in it;
//   committed   - renamed over the original, or saved beside it.
//
// Each step consumes the one before it, so a version can be neither moved
// into place unchecked nor checked before it has its attributes.
class CheckedCopy;

class WrittenCopy
{
public:
    static Expected<WrittenCopy> from(StagedCopy &&staged, const OriginalFile &original, bool keepModificationTime);

    const QString &path() const { return m_staged.path(); }

    // `check` reads the version at the path it is given and fails when the
    // version may not be committed. The version must not change after it:
    // a change between check and commit is refused at the commit.
    using Check = std::function<Expected<Success>(const QString &path)>;
    Expected<CheckedCopy> check(const Check &check) &&;

private:
    explicit WrittenCopy(StagedCopy &&staged) : m_staged(std::move(staged)) { }

    StagedCopy m_staged;
};

class CheckedCopy
{
public:
    // Over the original, while it is still the file that was read.
    Expected<Success> replace(const OriginalFile &original) &&;
    // Beside the original, never over an existing file; the path it took.
    Expected<QByteArray> saveAsCopy(const OriginalFile &original) &&;

private:
    friend class WrittenCopy;
    CheckedCopy(StagedCopy &&staged, const struct stat &checked) : m_staged(std::move(staged)), m_checked(checked) { }
    Expected<Success> stillAsChecked() const;

    StagedCopy m_staged;
    struct stat m_checked;
};
