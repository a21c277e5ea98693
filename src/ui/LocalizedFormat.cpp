#include "LocalizedFormat.h"

#include <QList>

#include <optional>

namespace LocalizedFormat {
namespace {

struct Piece
{
    QStringView literal;   // text before the placeholder (or the tail)
    int argument = -1;     // 0-based argument index; -1 for the tail
};

struct Parsed
{
    QList<Piece> pieces;
    bool sequential = false;
    bool positional = false;
};

bool isLiteralPercentBefore(QStringView rest)
{
    return rest.isEmpty() || rest.front().isSpace();
}

// Splits `format` into literal runs and placeholders; nullopt for any
// conversion other than %lld / %n$lld / %%.
std::optional<Parsed> parse(QStringView format)
{
    Parsed parsed;
    qsizetype literalStart = 0;
    qsizetype i = 0;
    int nextSequential = 0;
    QList<Piece> pieces;
    while (i < format.size()) {
        if (format[i] != u'%') {
            ++i;
            continue;
        }
        const QStringView rest = format.mid(i + 1);
        if (isLiteralPercentBefore(rest)) {
            ++i;
            continue;
        }
        if (rest.front() == u'%') {
            // Keep "%%" inside the literal; it is collapsed when filling.
            i += 2;
            continue;
        }
        int argument = -1;
        qsizetype length = 0;
        if (rest.startsWith(u"lld")) {
            argument = nextSequential++;
            length = 1 + 3;
            parsed.sequential = true;
        } else {
            qsizetype digits = 0;
            while (digits < rest.size() && rest[digits].isDigit() && rest[digits].unicode() < 128)
                ++digits;
            if (digits == 0 || digits > 3 || !rest.mid(digits).startsWith(u"$lld"))
                return std::nullopt;
            const int index = rest.left(digits).toInt();
            if (index < 1)
                return std::nullopt;
            argument = index - 1;
            length = 1 + digits + 4;
            parsed.positional = true;
        }
        pieces.append({format.mid(literalStart, i - literalStart), argument});
        i += length;
        literalStart = i;
    }
    pieces.append({format.mid(literalStart), -1});
    parsed.pieces = std::move(pieces);
    return parsed;
}

void appendLiteral(QString &out, QStringView literal)
{
    for (qsizetype i = 0; i < literal.size(); ++i) {
        out.append(literal[i]);
        if (literal[i] == u'%' && i + 1 < literal.size() && literal[i + 1] == u'%')
            ++i;
    }
}

} // namespace

bool isValid(QStringView format, int argumentCount)
{
    const auto parsed = parse(format);
    if (!parsed || (parsed->sequential && parsed->positional))
        return false;
    QList<int> uses(argumentCount, 0);
    for (const Piece &piece : parsed->pieces) {
        if (piece.argument < 0)
            continue;
        if (piece.argument >= argumentCount)
            return false;
        ++uses[piece.argument];
    }
    for (int count : uses) {
        if (count != 1)
            return false;
    }
    return true;
}

QString fill(QStringView format, std::initializer_list<qint64> arguments)
{
    if (!isValid(format, int(arguments.size())))
        return format.toString();
    const auto parsed = parse(format);
    QString out;
    out.reserve(format.size() + 8 * qsizetype(arguments.size()));
    for (const Piece &piece : parsed->pieces) {
        appendLiteral(out, piece.literal);
        if (piece.argument >= 0)
            out.append(QString::number(std::data(arguments)[piece.argument]));
    }
    return out;
}

QString translated(const char *id, QStringView sourceFormat, std::initializer_list<qint64> arguments,
                   int pluralCount)
{
    const QString table = qtTrId(id, pluralCount);
    if (isValid(table, int(arguments.size())))
        return fill(table, arguments);
    return fill(sourceFormat, arguments);
}

} // namespace LocalizedFormat
