#pragma once

#include <Failure.h>
#include <MetadataTable.h>
#include <SupportedFormat.h>

#include <QString>

// exiftool says why a write failed in its own words, often after warnings
// that have nothing to do with it. The failures the app knows (a full disk, a
// read-only disk, a folder it may not write in, an output it could not write,
// a file that is not the kind its name says or whose structure it cannot follow)
// become its own message about `name`, with the tool's text kept as the
// detail; anything else is passed on as it is. `folder` is where the output
// was to be written and `needed` about how much it takes: a write error there
// with less room left than that is a full disk.
Failure readToolFailure(const Failure &failure, const QString &name, const QString &folder, qint64 needed);

// A file the app's own writer could not follow (`failure` is damagedFile)
// that exiftool's read of the original (`read`) took for another kind of
// file, a .jpg holding text, is said to be that instead; anything else is
// passed on as it is.
Failure readWrongKind(const Failure &failure, SupportedFormat format, const MetadataTable &read, const QString &name);
