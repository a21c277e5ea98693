#pragma once

#include <Expected.h>

#include <QString>

class QIODevice;

// Takes every Exif, XMP (mime) and uri item out of a HEIF or AVIF file, for
// every image in it (thumbnails and auxiliary images included), in place:
// their entries leave the image index, which keeps its size by ending in a
// `free` box so that no other offset in the file moves, and their bytes are
// overwritten with zeros. Meant for a staged copy, never a user's file.
class HeifMetadataRemoval
{
public:
    // The number of items removed. The file is walked again afterwards;
    // anything left, or anything the editor cannot follow, is a failure,
    // and the file (a staged copy) is then to be dropped.
    static Expected<int> remove(const QString &stagedPath);
    // The same on an open, seekable, writable device; `name` is what failures call it.
    static Expected<int> remove(QIODevice &file, const QString &name);
};
