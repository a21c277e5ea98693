#pragma once

#include <QString>

#include <optional>

// Tessaly runs only the exiftool it ships: <exe dir>/../share/tessaly/exiftool.
// Nothing else is searched, PATH included.
namespace ToolLocator {

// <folder of the running executable>/../share/tessaly, cleaned.
QString defaultResourceDirectory();

// The path of the "exiftool" resource in that folder when it is there (a
// file; whether it can be executed is not checked here).
std::optional<QString> locateExifTool(const QString &resourceDirectory);

} // namespace ToolLocator
