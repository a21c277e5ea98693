#pragma once

#include <SupportedFormat.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// How one kind of file is cleaned. exiftool's plain `-all=` is not enough
// everywhere: it would turn photos sideways, drop colour profiles, leave PDF
// edits reversible and raws untouched. Each format's answer lives here.
enum class CleaningMethod {
    native,   // the app's own allowed-list writers (JPEG, PNG, WebP)
    heif,     // a copy edited in place: metadata items out, colour profiles scrubbed
    exiftool, // exiftool writes a copy without the metadata: `-all=` plus the plan's arguments
    matroska, // exiftool cannot write Matroska: mkvpropedit edits a copy
    pdf,      // our own PDF cleaner rewrites the document (exiftool would only append an update)
    audio,    // tag frames and embedded pictures out, the audio frames as they were
    office,   // an office document's ZIP and XML rewritten without properties, names and traces
    ebook,    // an EPUB rewritten: the book's own metadata stays, the tools' traces go
    drawing,  // an SVG rewritten without editor namespaces, metadata and comments
    refused,  // no safe way to rewrite it yet: the file is left as it is, with the reason
};

struct StripPlan
{
    CleaningMethod method = CleaningMethod::exiftool;
    // For exiftool: placed after `-all=`, in this order.
    QStringList extraArguments;
};

// The plan for a supported format. Fixed per format: nothing here reads the
// file.
StripPlan stripPlanFor(SupportedFormat format);

// Whether the first bytes of a file are of the kind its extension claims, as
// far as the plan depends on it: a camera raw, PDF or Matroska file under
// another extension would get a plan that leaves it uncleaned, or harms it.
bool contentFitsFormat(SupportedFormat format, const QByteArray &head);
