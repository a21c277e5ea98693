#include "WriteTransaction.h"

#include "OriginalFile.h"
#include "SystemError.h"

#include <QFile>

#include <cerrno>

namespace {

bool statOf(const QString &path, struct stat &info)
{
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool sameVersion(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

Expected<WrittenCopy> WrittenCopy::from(StagedCopy &&staged, const OriginalFile &original, bool keepModificationTime)
{
    if (auto finished = staged.finish(original, keepModificationTime); !finished)
        return finished.error();
    return WrittenCopy(std::move(staged));
}

Expected<CheckedCopy> WrittenCopy::check(const Check &check) &&
{
    struct stat before;
    if (!statOf(path(), before))
        return systemFailure(CleanError::Kind::writeFailed, m_staged.m_displayName, errno);
    if (auto passed = check(path()); !passed)
        return passed.error();
    struct stat after;
    if (!statOf(path(), after) || !sameVersion(before, after))
        return CleanError(CleanError::Kind::verifyFailed, {m_staged.m_displayName, QStringLiteral("changed")});
    return CheckedCopy(std::move(m_staged), after);
}

Expected<Success> CheckedCopy::stillAsChecked() const
{
    struct stat now;
    if (!statOf(m_staged.path(), now) || !sameVersion(now, m_checked))
        return CleanError(CleanError::Kind::verifyFailed, {m_staged.m_displayName, QStringLiteral("changed")});
    return Success{};
}

Expected<Success> CheckedCopy::replace(const OriginalFile &original) &&
{
    if (auto same = stillAsChecked(); !same)
        return same.error();
    return m_staged.replace(original);
}

Expected<QByteArray> CheckedCopy::saveAsCopy(const OriginalFile &original) &&
{
    if (auto same = stillAsChecked(); !same)
        return same.error();
    return m_staged.saveAsCopy(original);
}
