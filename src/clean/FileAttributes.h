#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <sys/types.h>

// What a file carries besides its bytes: owner, group, mode, access control
// lists and extended attributes. A cleaned file gets all of them from its
// original, except the attributes that describe the file or say where it
// came from.
namespace FileAttributes {

// Browsers and download tools record where a file was found; desktops keep
// a comment, tags, a creator and a language in `user.xdg.*`. They travel with
// copies and archives.
bool isIdentifying(const QByteArray &name);

// The identifying attributes of an open file, name and value.
QList<QPair<QByteArray, QByteArray>> identifyingAttributes(int fd);

struct Ownership
{
    bool ownerKept = true;
    bool groupKept = true;
};

// Gives `to` the attributes of `from` (both open descriptors). Whatever the
// file system cannot hold (FAT has no owners, modes or attributes; some FUSE
// mounts refuse some) is skipped, and so is an owner only root may give or a
// group the user is no member of: the result says whether `to` now has the
// owner and the group of `from`.
Ownership copy(int from, int to);

// Takes from the file's group, and from the groups and users its access
// list names, all they may do: for a file that could not keep its group,
// whose own group would otherwise be given the original's rights.
bool closeToGroup(int fd);

} // namespace FileAttributes
