#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <optional>

// What a file is, rather than what it is called: the device and inode its
// path leads to, links followed. Two spellings of one file ("a//b.jpg", a
// percent escape, a symbolic link) have the same identity.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    // Of the file `path` leads to now; nothing when there is none.
    static std::optional<FileIdentity> of(const QString &path);
    // The same for a path's bytes, UTF-8 or not.
    static std::optional<FileIdentity> of(const QByteArray &path);

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

inline size_t qHash(const FileIdentity &identity, size_t seed = 0) noexcept
{
    return qHashMulti(seed, identity.device, identity.inode);
}
