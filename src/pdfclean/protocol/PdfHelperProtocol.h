#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// What tessaly-pdf-clean and the app that starts it agree on: its exit codes
// and the findings of the report it prints on standard output, one JSON
// object: {"kept":[...],"removed":[...]}, each finding
// {"kind":"comments","page":2,"count":3,"name":"..."} with the fields it needs.
namespace PdfHelper {

enum class Exit : int {
    Cleaned = 0,
    Other = 1,
    Unreadable = 2,
    NeedsPassword = 3,
    Unverified = 4,
    WriteFailed = 5,
    PageTreeTooDeep = 6,
    // The written copy still held something that should have gone; the
    // message names it.
    MetadataRemained = 7,
};

enum class Finding : int {
    // Content, kept.
    pages,
    comments,       // count, page
    formFields,     // count
    outlineEntries, // count
    layer,          // name
    pictures,       // count
    links,          // count
    keptFirstId,    // the first /ID stays: the decryption key derives from it
    // Gone.
    attachmentRemoved,         // name
    scriptsRemoved,            // count
    annotationMetadataRemoved, // count
    streamCommentsRemoved,     // count
    documentInfoRemoved,
    xmpRemoved,                // count
    applicationDataRemoved,    // count
    pictureMetadataRemoved,    // count
    pageDatesRemoved,          // count
    uriBaseRemoved,
    idReplaced,
};

inline constexpr std::array<std::string_view, 19> findingNames{
    "pages", "comments", "formFields", "outlineEntries", "layer", "pictures", "links", "keptFirstId",
    "attachmentRemoved", "scriptsRemoved", "annotationMetadataRemoved", "streamCommentsRemoved",
    "documentInfoRemoved", "xmpRemoved", "applicationDataRemoved", "pictureMetadataRemoved", "pageDatesRemoved",
    "uriBaseRemoved", "idReplaced",
};

// The report stays small whatever the file holds: past these, findings and
// names are cut.
inline constexpr std::size_t maxFindings = 200;
inline constexpr std::size_t maxNameBytes = 200;

constexpr std::string_view nameOf(Finding finding)
{
    return findingNames[static_cast<std::size_t>(finding)];
}

constexpr std::optional<Finding> findingNamed(std::string_view name)
{
    for (std::size_t i = 0; i < findingNames.size(); ++i)
        if (findingNames[i] == name)
            return static_cast<Finding>(i);
    return std::nullopt;
}

} // namespace PdfHelper
