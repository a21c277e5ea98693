#pragma once

#include <KeptFamilies.h>

#include <QString>
#include <QStringList>

#include <optional>

// What `tessaly [OPTIONS] [FILE...]` asks for. Options come first; "--" ends
// them, and so does the first argument that is not one, so that a file whose
// name starts with a dash can still be named after "--".
struct LaunchOptions
{
    // --copy: keep originals and save cleaned copies; --in-place: replace them.
    // For this launch only; absent: the settings decide.
    std::optional<bool> keepOriginal;
    // --review: the files are listed and wait for the person's click. The
    // desktop entry passes it, so that Open With and a double-click in a
    // file manager never rewrite a file on their own.
    bool review = false;
    // --keep=dates,people: what the cleans of this launch leave in the files.
    // Absent: the settings decide.
    std::optional<KeptFamilies> keptFamilies;
    bool showHelp = false;
    QString unknownOption; // the first option not understood, if any
    QStringList files;     // everything after the options

    static LaunchOptions parse(const QStringList &arguments);
    // The --help text.
    static QString helpText();
};
