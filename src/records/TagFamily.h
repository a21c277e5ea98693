#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// What a piece of metadata is about, as the person choosing what to keep
// sees it. Every identifying tag and container piece belongs to exactly one.
enum class TagFamily {
    location,     // GPS, place names, ISO 6709 keys
    dates,        // capture, creation and modification dates, time zones
    people,       // artist, author, creator, copyright, owner, contact
    camera,       // make, model, lens and the exposure settings
    serials,      // body, lens and internal serials, counters, unique IDs
    descriptions, // descriptions, titles, keywords and comments
    software,     // software, edit history, producers, encoders
    thumbnails,   // thumbnails and previews
    other,        // maker notes, private and unknown blocks
};

inline constexpr std::array<TagFamily, 9> allTagFamilies {
    TagFamily::location, TagFamily::dates,    TagFamily::people,     TagFamily::camera, TagFamily::serials,
    TagFamily::descriptions, TagFamily::software, TagFamily::thumbnails, TagFamily::other,
};

// The family's word on the command line and in the settings file ("dates").
QString keyOf(TagFamily family);
std::optional<TagFamily> tagFamilyFromKey(QStringView key);
