#pragma once

#include <QString>

#include <optional>

// Tessaly runs only the tools it ships, at fixed places relative to its own
// executable; nothing else is searched, PATH included:
//   <exe dir>/../share/tessaly/exiftool            (architecture-independent Perl)
//   <exe dir>/../libexec/tessaly/mkvpropedit       (a link to mkvtoolnix's)
//   <exe dir>/../libexec/tessaly/tessaly-pdf-clean (our own PDF cleaner)
struct ToolPaths
{
    QString resourceDirectory; // where exiftool is looked for
    QString helperDirectory;   // where the other two are looked for

    // The app's own layout, from the running executable.
    static ToolPaths installed();
    // Both looked for in one folder (tests with stand-in tools).
    static ToolPaths inFolder(const QString &folder) { return {folder, folder}; }

    // A tool's path when it is there (a file, or a link to one; whether it
    // can be executed is not checked here).
    std::optional<QString> exiftool() const;
    std::optional<QString> mkvpropedit() const;
    std::optional<QString> pdfCleaner() const;
};
