#pragma once

#include <Expected.h>

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// In-place edits of a Matroska file that keep every size, for a staged copy
// that mkvpropedit has already cleaned: each track, attachment, edition and
// chapter UID gets a fresh random value of the same width (and chapters
// that name a track follow it), and the lines of an ASS or SSA subtitle
// header that name people (title, original script, timing, editing,
// translation, who updated it and how) become comments of the same length;
// the notes an H.264 or HEVC encoder left in the stream are blanked.
class MatroskaScrub
{
public:
    struct Font
    {
        quint64 uid = 0;
        QString neutralName; // "font-1.ttf"
        bool described = false;
    };
    struct Outcome
    {
        int uidsRenewed = 0;
        int headerLinesCleared = 0;
        int encoderNotesCleared = 0;
    };

    // The attachments that are fonts, with the names they are to be given.
    static Expected<QList<Font>> fonts(const QString &path);
    static Expected<Outcome> scrub(const QString &stagedPath);
    // The same on an open, seekable, writable device; `name` is what failures call it.
    static Expected<Outcome> scrub(QIODevice &file, const QString &name);

    // `header` with the lines that name people turned into comments of the
    // same length; `cleared` counts them.
    static QByteArray clearedScriptHeader(const QByteArray &header, int &cleared);
};
