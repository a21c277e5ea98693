#pragma once

#include <Failure.h>

#include <QFile>
#include <QFileInfo>
#include <QString>

// Runs an in-place editor on a staged copy: opens it for reading and
// writing, hands `edit` the device and the name failures call it by, and
// flushes what it wrote. The editors never change a file's size, so a
// copy they give up on is dropped as a whole by whoever staged it.
template <typename Edit>
auto editStagedCopy(const QString &stagedPath, Edit edit) -> decltype(edit(std::declval<QIODevice &>(), QString()))
{
    QFile file(stagedPath);
    const QString name = QFileInfo(stagedPath).fileName();
    if (!file.open(QIODevice::ReadWrite))
        return CleanError(CleanError::Kind::cannotOpen, {name, file.errorString()});
    auto edited = edit(file, name);
    if (edited && !file.flush())
        return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
    return edited;
}
