#pragma once

#include <KeptFamilies.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What `tessaly [OPTIONS] [FILE...]` asks for. Options may stand anywhere
// before "--"; after it every argument is a file, so a file whose name
// starts with a dash is named after "--" (or as ./-name).
struct LaunchOptions
{
    // --copy: keep originals and save cleaned copies; --in-place: replace them.
    // For the files of this launch only; absent: the settings decide. The
    // last of the two named wins.
    std::optional<bool> keepOriginal;
    // --review: the files are listed and wait for the person's click. The
    // desktop entry passes it, so that Open With and a double-click in a
    // file manager never rewrite a file on their own.
    bool review = false;
    // --keep=dates,people: what the cleans of this launch leave in the files.
    // Absent: the settings decide.
    std::optional<KeptFamilies> keptFamilies;
    bool showHelp = false;
    bool showVersion = false;
    // The first argument that looked like an option and is none, as typed.
    QString refusedOption;
    // The file arguments as the kernel handed them: Linux names are bytes,
    // and a name that is not UTF-8 must reach the disk unchanged.
    QList<QByteArray> files;

    // `arguments` without the program's name.
    static LaunchOptions parse(const QList<QByteArray> &arguments);
    static QString helpText();
    // What stderr says about refusedOption.
    static QString refusalText(const QString &option);
};
