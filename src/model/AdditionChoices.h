#pragma once

#include <optional>

// How files being added are to be treated, apart from the settings.
struct AdditionChoices
{
    // Set when a launch named the files with --copy or --in-place.
    std::optional<bool> keepOriginal;
    // Listed, and cleaned only when the person asks (cleanReady): files
    // from a file manager, or every file when the settings say so.
    bool review = false;

    friend bool operator==(const AdditionChoices &, const AdditionChoices &) = default;
};
