#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

// printf-style strings of the string table ("%lld files · %lld cleaned")
// filled with 64-bit integers. A translator may reorder with positional
// placeholders ("%2$lld"); a table entry whose placeholders do not match the
// expected count is never used, so a broken translation cannot crash the
// program or put a number in the wrong place.
namespace LocalizedFormat {

// True when `format` holds exactly `argumentCount` placeholders, either all
// sequential "%lld" or all positional "%1$lld" ... "%n$lld" (each index
// once). "%%" is a literal percent sign, as is a "%" at the end of the text
// or before a blank ("42 %" in German).
bool isValid(QStringView format, int argumentCount);

// Fills a valid format. For an invalid one it returns `format` unchanged.
QString fill(QStringView format, std::initializer_list<qint64> arguments);

// Looks `id` up in the installed string table and fills it; falls back to
// `sourceFormat` when the entry is missing or its placeholders are wrong.
// `pluralCount` picks the entry's plural form, for entries that have them.
QString translated(const char *id, QStringView sourceFormat, std::initializer_list<qint64> arguments,
                   int pluralCount = -1);

} // namespace LocalizedFormat
