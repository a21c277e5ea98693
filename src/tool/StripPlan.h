#pragma once

#include <SupportedFormat.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// How one kind of file is cleaned. exiftool's plain `-all=` is not enough
// everywhere: it would turn photos sideways, drop colour profiles, leave PDF
// edits reversible and raws untouched. Each format's answer lives here.
struct StripPlan
{
    enum class Cleaner {
        exiftool, // `-all= -overwrite_original <path>` plus `extraArguments`
        matroska, // exiftool cannot write Matroska: mkvpropedit does it
    };

    Cleaner cleaner = Cleaner::exiftool;
    // Appended after the path of the base invocation, in this order.
    QStringList extraArguments;
    // PDF: exiftool only appends an update that hides the old objects; the
    // file is rewritten afterwards so that they are really gone.
    bool rewritesPdf = false;
};

// The plan for a supported format. Fixed per format: nothing here reads the
// file.
StripPlan stripPlanFor(SupportedFormat format);

// The format named by a path's extension, in any letter case.
std::optional<SupportedFormat> formatOfPath(const QString &path);

// Whether the first bytes of a file are of the kind its extension claims, as
// far as the plan depends on it: a camera raw, PDF or Matroska file under
// another extension would get a plan that leaves it uncleaned, or harms it.
bool contentFitsFormat(SupportedFormat format, const QByteArray &head);
