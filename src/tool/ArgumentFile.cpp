#include "ArgumentFile.h"

#include <LocalName.h>

#include <QFile>
#include <QList>

#include <algorithm>

namespace {

bool isOptionDash(const QByteArray &bytes, qsizetype at, qsizetype *length)
{
    if (bytes.mid(at, 1) == "-") {
        *length = 1;
        return true;
    }
    // exiftool also takes U+2212 (a minus sign pasted from its manual) as a dash.
    if (bytes.mid(at, 3) == "\xe2\x88\x92") {
        *length = 3;
        return true;
    }
    return false;
}

// Options that would read the worker's standard input (which carries the
// commands), stay in force for later commands, or steer the argument file
// itself. Lower case, without the dash.
bool touchesTheProtocol(const QByteArray &name)
{
    static const QList<QByteArray> names{"stay_open", "@", "common_args", "config", "use", "k", "pause"};
    if (names.contains(name) || name.startsWith("delete_original"))
        return true;
    if (!name.startsWith("execute"))
        return false;
    for (char c : name.mid(7)) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// One argument as a line of the argument file, or nothing when the file
// cannot carry it so that exiftool sees exactly these bytes.
//
// exiftool strips a plain line's leading white space and trailing line break,
// drops lines starting with "#", and squeezes white space around the "=" of
// "-TAG = VALUE". A "#[CSTR]" line escapes its way past all of that, but
// turns "$" and "@" into "\$" and "\@".
std::optional<QByteArray> argumentLine(const QByteArray &argument, bool last)
{
    // An empty line is skipped, and an empty argument, "-" or "-csv=-" read
    // standard input, which carries the commands here.
    if (argument.isEmpty() || argument.contains('\0') || argument.endsWith("=-"))
        return std::nullopt;

    qsizetype dash = 0;
    if (isOptionDash(argument, 0, &dash)) {
        const QByteArray name = argument.mid(dash).toLower();
        qsizetype second = 0;
        // "--" ends the options: the closing -execute would be read as a file.
        if (name.isEmpty() || (isOptionDash(name, 0, &second) && second == name.size()))
            return std::nullopt;
        if (touchesTheProtocol(name))
            return std::nullopt;
        // An option left without its value would take the closing -execute.
        if (last)
            return std::nullopt;
    }

    // Perl's \s on bytes.
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    const bool plain = !argument.contains('\n') && !argument.contains('\r') && argument.front() != '#'
                       && !isSpace(argument.front())
                       && !(dash > 0 && std::any_of(argument.begin(), argument.end(), isSpace));
    if (plain)
        return argument + '\n';

    if (argument.contains('$') || argument.contains('@'))
        return std::nullopt;
    QByteArray line = "#[CSTR]";
    line.reserve(line.size() + argument.size() + 8);
    for (char c : argument) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    return line + '\n';
}

std::optional<QByteArray> encodeAll(const QStringList &arguments)
{
    QByteArray lines;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        // "-o -": the copy comes back on standard output, ahead of the command's end marks.
        if (arguments[i] == QLatin1String("-") && i > 0 && arguments[i - 1].compare(QLatin1String("-o"), Qt::CaseInsensitive) == 0) {
            lines += "-\n";
            continue;
        }
        // A path through one of our descriptors means nothing to a worker
        // started before it was opened: such a run needs a process of its own.
        if (!descriptorsNamedIn(arguments[i]).isEmpty())
            return std::nullopt;
        const auto line = argumentLine(QFile::encodeName(arguments[i]), i + 1 == arguments.size());
        if (!line)
            return std::nullopt;
        lines += *line;
    }
    return lines;
}


} // namespace

namespace ArgumentFile {

std::optional<QByteArray> encode(const QStringList &arguments)
{
    return encodeAll(arguments);
}

} // namespace ArgumentFile
