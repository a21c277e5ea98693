#pragma once

#include <QString>
#include <QStringView>

// The icon of a file row and the colour it is drawn in, by format group.
// `tint` names a colour role of the theme ("blue", "purple", "orange",
// "secondary"); the theme turns it into a shade for the current palette.
struct FileKind
{
    QString symbol;
    QString tint;

    // `extension` is the item's lower-case extension; anything that is not
    // a supported format gets the plain document icon.
    static FileKind forExtension(QStringView extension);
};
