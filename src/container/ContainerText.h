#pragma once

#include <QString>

// The words the walkers put in `place` and `damage`, looked up by id so
// that the log shows them in the interface's language.
namespace ContainerText {

// The table's text, or the English one when no table is installed.
QString translated(const char *id, const char *english);

// Where a walk had to stop.
QString brokenAt(qint64 offset);
QString tooMany(qint64 offset);

} // namespace ContainerText
