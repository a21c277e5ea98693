#pragma once

#include "ContainerItem.h"
#include "Mp4SampleTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

class ByteSource;

// The notes encoders leave inside a stream, beside the pictures or the
// sound: SEI messages of the "user data unregistered" kind, where x264,
// x265 and others write their name, version and every setting they ran
// with, and the fill element where FFmpeg's AAC encoder names itself in the
// first frame. Decoders pass both by, so a note is cleared where it lies:
// its bytes become spaces, and every size and offset stays as it was. Only
// an old x264's build stays, as decoders read it to draw its pictures right.
namespace EncoderNotes {

enum class Codec { avc, hevc };

struct StreamFormat
{
    Codec codec = Codec::avc;
    int lengthSize = 4; // the bytes before each NAL unit that give its length
};

// The format of a decoder configuration record (avcC or hvcC, as MP4 boxes
// and Matroska's CodecPrivate hold it).
std::optional<StreamFormat> formatOfConfiguration(Codec codec, QByteArrayView record);

// The format of an MP4 visual sample entry ("avc1", "avc3", "hvc1",
// "hev1"), whose avcC or hvcC box gives the length size; nothing for any
// other codec or an entry without that box.
std::optional<StreamFormat> formatOfSampleEntry(QByteArrayView type, QByteArrayView payload);

struct Note
{
    QByteArray kind;    // where the stream keeps it: "SEI" (H.264, HEVC) or "FIL" (AAC)
    qint64 offset = 0;  // of the payload's first byte, in the file
    QByteArray blank;   // what clears it, as long as the payload is stored
    QByteArray text;    // its readable words, for the log; empty once cleared
    QByteArray kept;    // the words clearing leaves for decoders ("x264 - core 148"), if any
    bool cleared = false;
};

// The notes in an HEVC decoder configuration, whose hvcC may carry SEI
// units beside the parameter sets; `offset` is where `record` lies in the
// file. Nothing when the record's sizes do not add up.
std::optional<QList<Note>> inConfiguration(Codec codec, QByteArrayView record, qint64 offset);
// The same for the configuration in an MP4 visual sample entry's payload.
std::optional<QList<Note>> inSampleEntry(QByteArrayView type, QByteArrayView payload, qint64 offset);

// The notes in one coded picture: `length` bytes of length-prefixed NAL
// units at `offset`. Nothing when its NAL units or SEI messages do not add
// up to what their sizes say.
std::optional<QList<Note>> inPicture(const ByteSource &source, qint64 offset, qint64 length, StreamFormat format);

// FFmpeg's AAC encoder's name ("Lavc59.37.100") in the fill element of an
// AAC frame of `frame` bytes at `offset`; the first frame is the one it is written in.
QList<Note> inAacFrame(QByteArrayView frame, qint64 offset);

// The comment header in a Vorbis track's codec data, as Matroska keeps the
// three headers in its CodecPrivate: the encoder's vendor string and its
// tags ("encoder=Lavc59.37.100"). Cleared, it is the empty header the
// format requires, its vendor string spaces to keep its size. Nothing when
// the headers do not add up.
std::optional<QList<Note>> inVorbisHeaders(QByteArrayView codecPrivate, qint64 offset);

// The notes in an MP4 track's samples, given where each lies: every picture of
// an H.264 or HEVC track (`format`), the first frame of an AAC one (`aac`).
// Nothing when a picture's units do not add up or a frame cannot be read.
std::optional<QList<Note>> inSamples(const ByteSource &source, const QList<Mp4SampleTable::Span> &samples,
                                     std::optional<StreamFormat> format, bool aac);

// A track's notes, told in the log once: the first, and how many there are.
struct Tally
{
    std::optional<Note> first;
    qint64 count = 0;
    std::optional<Note> keptOne; // a cleared note that keeps words for decoders

    void add(const QList<Note> &notes); // the cleared ones are not counted
    std::optional<ContainerItem> item(const QString &place) const;
    // What a cleared note left, as the film's own: decoders need it.
    std::optional<ContainerItem> keptItem(const QString &place) const;
};

} // namespace EncoderNotes
