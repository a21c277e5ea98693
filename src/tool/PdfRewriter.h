#pragma once

#include "Expected.h"

#include <QString>

// exiftool edits a PDF by appending an update: the old Info dictionary, XMP
// stream and every earlier revision stay in the file, hidden from readers
// but a command away from coming back. Written anew by qpdf, the document
// keeps only the objects it still uses.
namespace PdfRewriter {

// Writes `source` to `destination` as one revision without a document Info
// dictionary or document XMP stream, then opens the result to check that it
// is a PDF with the same number of pages. `destination` is overwritten.
Expected<Success> rewrite(const QString &source, const QString &destination);

} // namespace PdfRewriter
