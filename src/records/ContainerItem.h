#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What one piece of a file is for, as far as sharing the file goes.
enum class ItemRole {
    needed,      // drawing or playing the file needs it: kept without comment
    content,     // the document's own content: kept, and listed in the log
    identifying, // says who made the file, when, where or with what: must go
};

// Why a piece that is not identifying stays. The log turns each into a
// sentence of its own ("keeps the picture upright").
enum class KeptBecause {
    structure,     // the container's own framing: headers, indexes, tables
    pixels,        // the coded picture or its decoding tables
    orientation,   // keeps the picture upright
    colourProfile, // keeps the colours right
    colourSpace,   // gamma, chromaticities, sRGB intent, significant bits
    animation,     // frames and their timing
    transparency,  // alpha or transparency tables
    media,         // sound, video or subtitle streams
    content,       // the document's own content (pages, comments, chapters)
    chosen,        // identifying, and kept because the person chose to keep its kind
};

// One piece of a file as its container holds it: a JPEG segment, a PNG or
// RIFF chunk, an ISO-BMFF box or HEIF item, a TIFF IFD entry, a Matroska
// element, a PDF object.
struct ContainerItem
{
    QString place;      // where it sits, in plain words ("thumbnail, item 2", "after the picture's end")
    QByteArray type;    // the container's own name for it ("APP1", "caBX", "Exif", "udta")
    qint64 offset = 0;  // in the file
    qint64 size = 0;    // in bytes, header included
    ItemRole role = ItemRole::identifying;
    KeptBecause keptBecause = KeptBecause::structure; // meaningful unless identifying
    QString detail;     // what it holds, when that is worth saying (a profile's name, "Orientation 6")

    friend bool operator==(const ContainerItem &, const ContainerItem &) = default;
};

// Everything a walk over a file's container found. A container nobody can
// follow to its end hides what comes after: `damage` then says where it
// broke, and the file counts as carrying something identifying.
struct ContainerWalk
{
    QList<ContainerItem> items;
    std::optional<QString> damage;

    bool hasIdentifying() const
    {
        if (damage)
            return true;
        for (const auto &item : items) {
            if (item.role == ItemRole::identifying)
                return true;
        }
        return false;
    }
};
