#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

#include <sys/types.h>

// Which file a tool path leads to and which state of it: a tool replaced or
// rewritten in place (an update) differs, and gets workers of its own.
struct ToolFileVersion
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    mode_t mode = 0;
    qint64 modified = 0;
    qint64 changed = 0;

    friend bool operator==(const ToolFileVersion &, const ToolFileVersion &) = default;
};

// The version of the file at `path`, followed through links; nothing when
// there is none.
std::optional<ToolFileVersion> versionOf(const QByteArray &path);
