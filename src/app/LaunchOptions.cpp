#include "LaunchOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const QString copyName = QStringLiteral("copy");
const QString inPlaceName = QStringLiteral("in-place");
const QString reviewName = QStringLiteral("review");
const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");
const QString keepName = QStringLiteral("keep");

bool endsOptions(const QByteArray &argument)
{
    return argument == "--";
}

// The parser's own rule: a dash and more is an option, "-" alone is a name.
bool looksLikeOption(const QByteArray &argument)
{
    return argument.size() > 1 && argument.startsWith('-');
}

bool isKnownOption(const QByteArray &argument)
{
    static const QList<QByteArray> known{"--copy", "-copy", "--in-place", "-in-place", "--review", "-review",
                                          "--help", "-help", "-h", "--version", "-version", "-v"};
    return known.contains(argument) || argument.startsWith("--keep=") || argument.startsWith("-keep=");
}

// "--keep dates": the option's value is the next argument, never a file.
bool takesValueNext(const QByteArray &argument)
{
    return argument == "--keep" || argument == "-keep";
}

} // namespace

LaunchOptions LaunchOptions::parse(const QList<QByteArray> &arguments)
{
    QCommandLineParser parser;
    // "-x.jpg" is one unknown option, not the seven letters of one.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        QCommandLineOption(copyName),
        QCommandLineOption(inPlaceName),
        QCommandLineOption(reviewName),
        QCommandLineOption(QStringList{QStringLiteral("h"), helpName}),
        QCommandLineOption(QStringList{QStringLiteral("v"), versionName}),
        QCommandLineOption(keepName, QString(), QStringLiteral("groups")),
    });
    QStringList texts{QStringLiteral("tessaly")};
    for (const QByteArray &argument : arguments)
        texts.append(QString::fromLocal8Bit(argument));

    LaunchOptions options;
    const bool understood = parser.parse(texts);
    // The files are taken from the bytes by the parser's rules (only --keep
    // takes a value, and "--keep dates" takes the next argument), since its
    // text would turn bytes that are not UTF-8 into U+FFFD.
    bool afterEnd = false;
    bool keepValueNext = false;
    for (const QByteArray &argument : arguments) {
        if (keepValueNext) {
            keepValueNext = false;
            continue;
        }
        if (!afterEnd && endsOptions(argument))
            afterEnd = true;
        else if (!afterEnd && takesValueNext(argument))
            keepValueNext = true;
        else if (afterEnd || !looksLikeOption(argument))
            options.files.append(argument);
        else if (!understood && options.refusedOption.isEmpty() && !isKnownOption(argument))
            options.refusedOption = QString::fromLocal8Bit(argument);
    }
    options.showHelp = parser.isSet(helpName);
    if (!understood) {
        // Nothing of a command line with a mistake is done, apart from help.
        LaunchOptions refused;
        refused.showHelp = options.showHelp;
        refused.refusedOption = options.refusedOption.isEmpty() ? parser.unknownOptionNames().value(0, texts.value(1))
                                                                : options.refusedOption;
        return refused;
    }

    for (const QString &name : parser.optionNames()) {
        if (name == copyName)
            options.keepOriginal = true;
        else if (name == inPlaceName)
            options.keepOriginal = false;
    }
    options.review = parser.isSet(reviewName);
    options.showVersion = parser.isSet(versionName);
    if (parser.isSet(keepName)) {
        const QString groups = parser.values(keepName).join(u',');
        options.keptFamilies = KeptFamilies::fromKeys(groups);
        if (!options.keptFamilies) {
            LaunchOptions refused;
            refused.refusedOption = QStringLiteral("--keep=") + groups;
            return refused;
        }
    }
    return options;
}

QString LaunchOptions::helpText()
{
    //% "Usage: tessaly [OPTIONS] [FILE...]\n\nRemoves hidden metadata (GPS position, camera serials, author names, dates) from photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs.\nFiles and folders named here are cleaned as soon as the window is up.\n\nOptions:\n  --copy         keep the originals and save a cleaned copy beside each one\n  --in-place     replace each file by its cleaned version\n  --review       list the files and clean them only when asked\n  --keep=GROUP,...\n                 leave these groups in the files: location, dates, people,\n                 camera, serials, descriptions, software, thumbnails, other\n  -h, --help     show this help\n  -v, --version  show the version\n\nWithout --copy or --in-place, the choice in Settings applies (by default: replace).\nWithout --keep, the choice in Settings applies (by default: everything is removed).\nAfter -- every argument is a file, also one whose name starts with a dash.\n"
    const QString text = qtTrId("command_line_help");
    if (text != QLatin1String("command_line_help"))
        return text;
    return QStringLiteral(
        "Usage: tessaly [OPTIONS] [FILE...]\n\n"
        "Removes hidden metadata (GPS position, camera serials, author names, dates) from photos, camera raws, "
        "videos, audio, office documents, e-books, drawings and PDFs.\nFiles and folders named here are cleaned as soon as the window is up.\n\n"
        "Options:\n"
        "  --copy         keep the originals and save a cleaned copy beside each one\n"
        "  --in-place     replace each file by its cleaned version\n"
        "  --review       list the files and clean them only when asked\n"
        "  --keep=GROUP,...\n"
        "                 leave these groups in the files: location, dates, people,\n"
        "                 camera, serials, descriptions, software, thumbnails, other\n"
        "  -h, --help     show this help\n"
        "  -v, --version  show the version\n\n"
        "Without --copy or --in-place, the choice in Settings applies (by default: replace).\n"
        "Without --keep, the choice in Settings applies (by default: everything is removed).\n"
        "After -- every argument is a file, also one whose name starts with a dash.\n");
}

QString LaunchOptions::refusalText(const QString &option)
{
    //% "tessaly: unknown option %1 (see tessaly --help; a file whose name starts with a dash is named after -- or as ./%1)\n"
    const QString text = qtTrId("command_line_refused");
    if (text != QLatin1String("command_line_refused"))
        return text.arg(option);
    return QStringLiteral("tessaly: unknown option %1 (see tessaly --help; a file whose name starts with a dash is "
                          "named after -- or as ./%1)\n").arg(option);
}
