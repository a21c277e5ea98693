#pragma once

#include <QStringList>

// What the open-file dialog offers. Dialogs on Linux filter by name pattern
// and match case-sensitively, so every extension comes in lower and upper
// case: "*.jpg" and "*.JPG".
namespace AcceptedFileTypes {

// "*.jpg", "*.JPG", "*.jpeg", ... in the order of the supported formats.
QStringList allowedContentTypes();

} // namespace AcceptedFileTypes
