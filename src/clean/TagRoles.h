#pragma once

#include <ContainerItem.h>
#include <SupportedFormat.h>

#include <QStringView>

// What each tag exiftool lists is for, per kind of file. Keys are as
// exiftool's `-G1` names them, "Group:Name" ("GPS:GPSLatitude",
// "IFD0:Orientation", "ICC-header:ProfileDateTime").
//
// Photos are judged by what is allowed: a tag not known to be needed to draw
// the picture identifies until shown otherwise. Raws, movies, Matroska and
// PDFs carry far more structure than any list could name, so there the
// known identifying tags are looked for, and their containers' walks (which
// are allowed-lists again) catch what a tag name cannot.
struct TagRole
{
    ItemRole role = ItemRole::identifying;
    KeptBecause keptBecause = KeptBecause::structure;
};

// Tags about the file rather than in it: its name, folder, size, dates and
// permissions, exiftool's own version, and what exiftool derives from other
// tags. Neither counted nor shown.
bool isOutsideTheFile(QStringView key);

// exiftool's remarks on what it read ("ExifTool:Warning"): shown, never
// judged.
bool isToolRemark(QStringView key);

TagRole roleOfTag(SupportedFormat format, QStringView key, QStringView value);

// An empty value, or one of only zeros, spaces and separators (a date
// zeroed to "0000:00:00 00:00:00", a serial set to 0), says nothing.
bool saysNothing(QStringView value);
