#pragma once

#include <ContainerItem.h>
#include <SupportedFormat.h>
#include <TagFamily.h>

#include <QStringView>

#include <optional>

// Which family an identifying tag or container piece belongs to, so that a
// clean can leave what the person chose to keep. Tags are judged by name
// ("Group:Name" as exiftool's -G1 gives it), in this order: serials and
// unique IDs first, so that no other family ever takes one in; then place,
// time, people, software, camera, descriptions and thumbnails. A name known
// to none of them is "other", as is every unknown or private block.
TagFamily familyOfTag(QStringView key);

// Tags exiftool adds to frame what it writes (the EXIF and GPS versions, the
// colour space of an EXIF block, its own XMP toolkit). They say nothing of
// the person and come with any family a clean keeps.
bool isFramingTag(QStringView key);

// A container piece the walk found identifying. A block that holds tags
// (an EXIF or XMP segment, a movie's `udta` or `meta`) has no family of its
// own: what it holds is judged tag by tag, so it is nullopt here. Every
// other piece has one; one the app does not know is "other".
std::optional<TagFamily> familyOfPiece(SupportedFormat format, const ContainerItem &piece);
