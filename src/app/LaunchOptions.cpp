#include "LaunchOptions.h"

#include <QCoreApplication>

LaunchOptions LaunchOptions::parse(const QStringList &arguments)
{
    LaunchOptions options;
    qsizetype i = 0;
    for (; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            ++i;
            break;
        }
        if (!argument.startsWith(u'-') || argument == QLatin1String("-"))
            break;
        if (argument == QLatin1String("--copy"))
            options.keepOriginal = true;
        else if (argument == QLatin1String("--in-place"))
            options.keepOriginal = false;
        else if (argument == QLatin1String("--review"))
            options.review = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.showHelp = true;
        else if (argument.startsWith(QLatin1String("--keep="))
                 && KeptFamilies::fromKeys(QStringView(argument).mid(7)))
            options.keptFamilies = KeptFamilies::fromKeys(QStringView(argument).mid(7));
        else if (options.unknownOption.isEmpty())
            options.unknownOption = argument;
    }
    options.files = arguments.mid(i);
    return options;
}

QString LaunchOptions::helpText()
{
    //% "Usage: tessaly [OPTIONS] [FILE...]\n\nRemoves hidden metadata (GPS position, camera serials, author names, dates) from photos, camera raws, videos and PDFs.\nFiles and folders named here are cleaned as soon as the window is up.\n\nOptions:\n  --copy      keep the originals and save a cleaned copy beside each one\n  --in-place  replace each file by its cleaned version\n  --review    list the files and clean them only when asked\n  --keep=GROUP,...\n              leave these groups in the files: location, dates, people, camera,\n              serials, descriptions, software, thumbnails, other\n  -h, --help  show this help\n\nWithout --copy or --in-place, the choice in Settings applies (by default: replace).\nWithout --keep, the choice in Settings applies (by default: everything is removed).\n"
    const QString text = qtTrId("command_line_help");
    if (text != QLatin1String("command_line_help"))
        return text;
    return QStringLiteral(
        "Usage: tessaly [OPTIONS] [FILE...]\n\n"
        "Removes hidden metadata (GPS position, camera serials, author names, dates) from photos, camera raws, "
        "videos and PDFs.\nFiles and folders named here are cleaned as soon as the window is up.\n\n"
        "Options:\n"
        "  --copy      keep the originals and save a cleaned copy beside each one\n"
        "  --in-place  replace each file by its cleaned version\n"
        "  --review    list the files and clean them only when asked\n"
        "  --keep=GROUP,...\n"
        "              leave these groups in the files: location, dates, people, camera,\n"
        "              serials, descriptions, software, thumbnails, other\n"
        "  -h, --help  show this help\n\n"
        "Without --copy or --in-place, the choice in Settings applies (by default: replace).\n"
        "Without --keep, the choice in Settings applies (by default: everything is removed).\n");
}
