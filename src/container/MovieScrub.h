#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QList>
#include <QString>

class QIODevice;

// Finishes the clean of an MP4 or QuickTime movie that exiftool has already
// stripped of its tags, in place and without moving a byte: data and
// metadata tracks (GPS, sensors, timed metadata, timecode) become `free`
// boxes with their samples zeroed and the references to them blanked, track
// names go the same way, handler names become the neutral word for their
// kind, compressor names are blanked and so are the notes encoders leave in
// the streams (x264's settings, FFmpeg's name in the first AAC frame).
// Video, sound, subtitles and chapters play as they did. Meant for a staged
// copy, never a user's file.
class MovieScrub
{
public:
    struct Outcome
    {
        int tracksRemoved = 0;
        int encoderNotesCleared = 0;
        // Subtitle tracks (language and cue count) and chapters (their
        // titles), at the offsets of their tracks.
        QList<ContainerItem> content;
    };

    // `keepMovieTags`: the movie's own `udta` and `meta` stay, for the tags
    // exiftool copied back by the person's choice; the residue check judges
    // them tag by tag.
    static Expected<Outcome> scrub(const QString &stagedPath, bool keepMovieTags = false);
    // The same on an open, seekable, writable device; `name` is what failures call it.
    static Expected<Outcome> scrub(QIODevice &file, const QString &name, bool keepMovieTags = false);
};
