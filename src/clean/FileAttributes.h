#pragma once

#include <QStringList>

#include <sys/types.h>

// What a file carries besides its bytes: owner, group, mode, access control
// lists and extended attributes. A cleaned file gets all of them from its
// original, except the attributes that record where a download came from.
namespace FileAttributes {

// Browsers and download tools record these; they travel with copies and
// archives and say where the file was found.
bool isDownloadOrigin(const QByteArray &name);

// Gives `to` the attributes of `from` (both open descriptors). Whatever the
// file system cannot hold (FAT has no owners, modes or attributes; some FUSE
// mounts refuse some) is skipped, and so is an owner only root may give.
void copy(int from, int to);

} // namespace FileAttributes
