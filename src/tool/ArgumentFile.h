#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// exiftool's `-@` argument file, as its stay-open workers read commands from
// standard input: one argument per line. Not every argument survives that
// trip byte for byte; those that would not give nothing, and the run then
// goes to a process of its own.
namespace ArgumentFile {

// The lines that carry exactly these arguments, or nothing.
std::optional<QByteArray> encode(const QStringList &arguments);

} // namespace ArgumentFile
