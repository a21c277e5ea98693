#pragma once

#include <Expected.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The app's own writers work on a whole file in memory: read from the
// original's descriptor, written to a new file in the staging folder.
namespace WholeFile {

// The `size` bytes behind `fd`; nullopt when it is larger than `limit` or
// cannot be read to its end.
std::optional<QByteArray> read(int fd, qint64 size, qint64 limit);

// All of `bytes` written to `fd` where it stands; 0, or the errno that stopped it.
int writeAll(int fd, QByteArrayView bytes);

// `pieces`, one after the other, into a new file at `path` (0600, never an
// existing one).
Expected<Success> writeNew(const QString &path, const QByteArrayList &pieces, const QString &displayName);

} // namespace WholeFile
