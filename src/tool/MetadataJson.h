#pragma once

#include "Expected.h"

#include <MetadataTable.h>

#include <QByteArray>

// Turns the tool's `-j` output into a flat table.
//
// The output must be a JSON array of objects; only the first object is used
// and its "SourceFile" member (exactly that spelling) is dropped. Strings are
// kept as they are; numbers keep the exact text the tool wrote ("2.8" stays
// "2.8", a 20-digit integer keeps every digit); any other value becomes its
// compact JSON text.
//
// Output that is not JSON, or a bare value, gives a JsonSyntaxError; JSON of
// another shape (a bare object, an empty array, an array holding a string)
// gives parseError.
Expected<MetadataTable> parseMetadataJson(const QByteArray &json);
