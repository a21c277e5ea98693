#pragma once

#include <FileCleaner.h>
#include <StayOpenRunner.h>

#include <QString>

// Cleaning a file the way the app does, through one pool of persistent
// exiftool workers shared by a test binary.
namespace Cleaning {

StayOpenRunner &runner();
CleanResult cleanWith(const ToolPaths &tools, const QString &path, CleaningChoices choices = {});
// With the app's own tools.
CleanResult clean(const QString &path, CleaningChoices choices = {});

} // namespace Cleaning
