#include "FileAttributes.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace FileAttributes {

namespace {

QList<QByteArray> attributeNames(int fd)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size <= 0)
            return {};
        QByteArray names(size, '\0');
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (got <= 0)
            return {};
        names.truncate(got);
        QList<QByteArray> list = names.split('\0');
        list.removeAll(QByteArray());
        return list;
    }
    return {};
}

QByteArray attributeValue(int fd, const QByteArray &name)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return {};
        QByteArray value(size, '\0');
        const ssize_t got = ::fgetxattr(fd, name.constData(), value.data(), value.size());
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return {};
        value.truncate(got);
        return value;
    }
    return {};
}

} // namespace

bool isIdentifying(const QByteArray &name)
{
    return name.startsWith("user.xdg.") || name == "user.com.apple.quarantine"
        || name.startsWith("user.com.apple.metadata:");
}

QList<QPair<QByteArray, QByteArray>> identifyingAttributes(int fd)
{
    QList<QPair<QByteArray, QByteArray>> found;
    for (const QByteArray &name : attributeNames(fd)) {
        if (isIdentifying(name))
            found.append({name, attributeValue(fd, name)});
    }
    return found;
}

Ownership copy(int from, int to)
{
    struct stat original;
    if (::fstat(from, &original) != 0)
        return {false, false};
    // Only root gives a file away; anyone may give it one of their own groups.
    if (::fchown(to, original.st_uid, original.st_gid) != 0)
        [[maybe_unused]] const int ignored = ::fchown(to, uid_t(-1), original.st_gid);
    // After the owner: a change of owner clears the set-id bits.
    [[maybe_unused]] const int modeSet = ::fchmod(to, original.st_mode & 07777);
    // The access ACL comes last of all: setting it also sets the mode's group bits.
    QList<QByteArray> names = attributeNames(from);
    std::stable_partition(names.begin(), names.end(),
                          [](const QByteArray &name) { return name != "system.posix_acl_access"; });
    for (const QByteArray &name : names) {
        if (isIdentifying(name))
            continue;
        const QByteArray value = attributeValue(from, name);
        [[maybe_unused]] const int set = ::fsetxattr(to, name.constData(), value.constData(), value.size(), 0);
    }
    // What the file system now says, not what the calls returned: one
    // without owners (FAT) gives both files the same ones whatever is asked.
    struct stat now;
    if (::fstat(to, &now) != 0)
        return {false, false};
    return {now.st_uid == original.st_uid, now.st_gid == original.st_gid};
}

bool closeToGroup(int fd)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return false;
    if (::fremovexattr(fd, "system.posix_acl_access") != 0 && errno != ENODATA && errno != EOPNOTSUPP)
        return false;
    return ::fchmod(fd, info.st_mode & 07707 & ~mode_t(S_ISGID)) == 0;
}

} // namespace FileAttributes
