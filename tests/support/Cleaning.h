#pragma once

#include <FileCleaner.h>
#include <StayOpenRunner.h>

#include <QString>
#include <QStringList>

// Cleaning a file the way the app does, through one pool of persistent
// exiftool workers shared by a test binary.
namespace Cleaning {

StayOpenRunner &runner();
CleanResult cleanWith(const ToolPaths &tools, const QString &path, CleaningChoices choices = {});
// With the app's own tools.
CleanResult clean(const QString &path, CleaningChoices choices = {});
// The result's error; empty when it succeeded.
QString errorOf(const CleanResult &result);
// Cleaning copies, and copies of copies, that a run left in `directory`.
QStringList leftovers(const QString &directory);

} // namespace Cleaning
