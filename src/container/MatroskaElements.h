#pragma once

#include "ContainerItem.h"
#include "EncoderNotes.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The elements of a Matroska or WebM file, as far as sharing it goes: the
// segment's info, tracks, chapters, attachments and tags. Clusters are
// passed over by their sizes (or, when their size is unknown, by their
// blocks' sizes), so a film of gigabytes costs a few reads; only an H.264 or
// HEVC video track has each of its blocks opened, and an AAC track its
// first, for the notes their encoders leave.
class MatroskaElements
{
public:
    // Fonts are what subtitles need to be drawn; any other attachment is the muxer's extra.
    static bool isFont(const QString &fileName, const QByteArray &mimeType);
    // The only muxing or writing application that says nothing about the maker.
    static bool isNeutralApplication(const QByteArray &name);

    static constexpr int maxDepth = 8;
    static constexpr int maxElements = 1000000;
};

ContainerWalk walkMatroska(QIODevice &file);

// The notes encoders left in the file's H.264, HEVC and AAC tracks, cleared
// ones included; nothing when the file cannot be followed to its end.
std::optional<QList<EncoderNotes::Note>> matroskaEncoderNotes(QIODevice &file);
