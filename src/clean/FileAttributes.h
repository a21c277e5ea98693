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

// Gives `to` the attributes of `from` (both open descriptors). Whatever the
// file system cannot hold (FAT has no owners, modes or attributes; some FUSE
// mounts refuse some) is skipped, and so is an owner only root may give.
void copy(int from, int to);

} // namespace FileAttributes
