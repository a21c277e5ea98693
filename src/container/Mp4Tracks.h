#pragma once

#include "ContainerItem.h"

#include <QByteArray>
#include <QList>

class QIODevice;

// What an MP4 or QuickTime movie's tracks are for, read from `moov`: the
// handler and sample entries of each track and the chapter references
// between them.
class Mp4Tracks
{
public:
    struct Track
    {
        quint32 id = 0;
        QByteArray handler;      // "vide", "soun", "text", "meta"...
        QByteArray handlerName;  // as written, "VideoHandler" or an encoder's own words
        QByteArrayList sampleEntries;
        qint64 offset = 0, size = 0; // the trak box
    };

    // Whether a track is a video or sound stream, a subtitle track, or data
    // (GPS, sensors, timecode) that says where and when.
    static ItemRole roleOf(const Track &track, bool isChapterTrack);
    // Handler names the tools write for every file alike.
    static bool isNeutralHandlerName(const QByteArray &name);
    // The name in a handler's name field; `quickTime` when the handler
    // fills its component type, as QuickTime's do.
    static QByteArray handlerName(const QByteArray &field, bool quickTime);
    // What a player expects a handler of this type to be called.
    static QByteArray neutralHandlerName(const QByteArray &handlerType, bool dataReference);
    // A handler's name field rewritten to `word`, in the field's own form
    // (QuickTime's counted string or MP4's NUL-ended one), padded with NULs to
    // the same length; empty when the word does not fit.
    static QByteArray rewrittenName(const QByteArray &field, bool counted, const QByteArray &word);
};

// Every piece of an MP4 or QuickTime movie, with what it is for. Only the
// movie's index is read: the media data is passed over by its size.
ContainerWalk walkMovie(QIODevice &file);
