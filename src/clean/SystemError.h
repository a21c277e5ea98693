#pragma once

#include <Failure.h>

#include <QString>

// A failed system call on the user's file or its folder, in the user's words:
// a full disk, a folder they cannot write, a read-only disk; otherwise `kind`
// with the system's own reason. `name` is the user's file, never a staged copy.
CleanError systemFailure(CleanError::Kind kind, const QString &name, int error);
QString systemReason(int error);
