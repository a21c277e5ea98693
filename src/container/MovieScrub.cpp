#include "MovieScrub.h"
#include "StagedEdit.h"

#include "BmffBoxes.h"
#include "ByteCursor.h"
#include "ByteSource.h"
#include "ContainerText.h"
#include "EncoderNotes.h"
#include "Mp4SampleTable.h"
#include "Mp4Tracks.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

using ContainerText::translated;
using Span = Mp4SampleTable::Span;

namespace {

CleanError unfollowable(const QString &name)
{
    return CleanError(CleanError::Kind::verifyFailed,
                      {name, translated("movie_index_unfollowable", "its movie index could not be followed")});
}

// What a removed track is made of, and where the rest of its track lives.
struct TrackBoxes
{
    Mp4Tracks::Track track;
    BmffBox trak;
    std::optional<BmffBox> mdhd, tref, offsets, chunks, sizes;
    QList<BmffBox> handlers, names, visualEntries;
    QSet<qint64> dataReferenceHandlers; // offsets of handlers in minf
};

class Scrubber
{
public:
    Scrubber(const BmffBox &moov, QByteArray &bytes, bool keepMovieTags)
        : m_moov(moov), m_bytes(bytes), m_keepMovieTags(keepMovieTags) { }

    // The movie's own tag boxes, left as they are.
    const QList<BmffBox> &movieTags() const { return m_movieTags; }

    bool parse()
    {
        const auto top = inside(m_moov);
        if (!top)
            return false;
        for (const auto &box : *top) {
            if (box.type == "trak") {
                if (!track(box))
                    return false;
            } else if (m_keepMovieTags && (box.type == "udta" || box.type == "meta")) {
                m_movieTags.append(box);
            } else if (box.type != "mvhd" && box.type != "mvex" && box.type != "iods") {
                m_extras.append(box);
            }
        }
        for (auto &track : m_tracks) {
            if (Mp4Tracks::roleOf(track.track, m_chapterTracks.contains(track.track.id)) == ItemRole::identifying)
                m_removed.insert(track.track.id);
        }
        return true;
    }

    const QList<TrackBoxes> &tracks() const { return m_tracks; }
    const QSet<quint32> &removed() const { return m_removed; }
    bool isChapterTrack(quint32 id) const { return m_chapterTracks.contains(id); }

    QByteArrayView payloadOf(const BmffBox &box) const
    {
        return QByteArrayView(m_bytes).sliced(box.payloadOffset() - m_moov.offset, box.payloadSize());
    }

    std::optional<QList<Span>> samples(const TrackBoxes &track) const
    {
        if (!track.offsets || !track.chunks || !track.sizes)
            return std::nullopt;
        return Mp4SampleTable::samples(payloadOf(*track.offsets), track.offsets->type == "co64", payloadOf(*track.chunks),
                                       payloadOf(*track.sizes), track.sizes->type == "stz2");
    }

    // Everything below is an edit of the index in memory, written back whole.
    void free(const BmffBox &box)
    {
        QByteArray replacement(box.size, '\0');
        if (box.size > 0xffffffffLL) {
            qToBigEndian(quint32(1), replacement.data());
            qToBigEndian(quint64(box.size), replacement.data() + 8);
        } else {
            qToBigEndian(quint32(box.size), replacement.data());
        }
        replacement.replace(4, 4, "free");
        m_bytes.replace(box.offset - m_moov.offset, box.size, replacement);
    }

    void edit()
    {
        for (const auto &box : std::as_const(m_extras))
            free(box);
        for (const auto &track : std::as_const(m_tracks)) {
            if (m_removed.contains(track.track.id)) {
                free(track.trak);
                continue;
            }
            for (const auto &name : track.names)
                free(name);
            if (track.tref)
                references(*track.tref);
            for (const auto &handler : track.handlers)
                rename(handler, track.dataReferenceHandlers.contains(handler.offset) ? QByteArray() : track.track.handler,
                       track.dataReferenceHandlers.contains(handler.offset));
            // A visual sample entry's compressor name: 32 bytes after 42 fixed ones.
            for (const auto &entry : track.visualEntries)
                m_bytes.replace(entry.payloadOffset() + 42 - m_moov.offset, 32, QByteArray(32, '\0'));
        }
    }

private:
    std::optional<QList<BmffBox>> inside(const BmffBox &box, qint64 skip = 0) const
    {
        if (box.payloadSize() < skip)
            return std::nullopt;
        auto listing = BmffBoxes::inBytes(payloadOf(box).sliced(skip), box.payloadOffset() + skip);
        if (listing.damage)
            return std::nullopt;
        return listing.boxes;
    }

    bool track(const BmffBox &trak)
    {
        TrackBoxes track;
        track.trak = trak;
        const auto children = inside(trak);
        if (!children)
            return false;
        for (const auto &box : *children) {
            if (box.type == "tkhd") {
                ByteCursor cursor(payloadOf(box));
                cursor.skip(cursor.u8() == 1 ? 19 : 11);
                track.track.id = cursor.u32();
                if (!cursor.ok())
                    return false;
            } else if (box.type == "tref") {
                track.tref = box;
                const auto kinds = inside(box);
                if (!kinds)
                    return false;
                for (const auto &kind : *kinds) {
                    for (ByteCursor cursor(payloadOf(kind)); kind.type == "chap" && cursor.remaining() >= 4;)
                        m_chapterTracks.insert(cursor.u32());
                }
            } else if (box.type == "udta" || box.type == "meta") {
                track.names.append(box);
            } else if (box.type == "mdia" && !media(box, track)) {
                return false;
            }
        }
        m_tracks.append(track);
        return true;
    }

    bool media(const BmffBox &mdia, TrackBoxes &track)
    {
        QList<BmffBox> pending {mdia};
        for (int depth = 0; depth < 3 && !pending.isEmpty(); ++depth) {
            QList<BmffBox> next;
            for (const auto &parent : std::as_const(pending)) {
                const auto children = inside(parent);
                if (!children)
                    return false;
                for (const auto &box : *children) {
                    if (box.type == "hdlr" && box.payloadSize() >= 24) {
                        track.handlers.append(box);
                        if (parent.type == "minf")
                            track.dataReferenceHandlers.insert(box.offset);
                        else
                            track.track.handler = payloadOf(box).sliced(8, 4).toByteArray();
                    } else if (box.type == "mdhd") {
                        track.mdhd = box;
                    } else if (box.type == "minf" || box.type == "stbl") {
                        next.append(box);
                    } else if (box.type == "stco" || box.type == "co64") {
                        track.offsets = box;
                    } else if (box.type == "stsc") {
                        track.chunks = box;
                    } else if (box.type == "stsz" || box.type == "stz2") {
                        track.sizes = box;
                    } else if (box.type == "stsd") {
                        const auto entries = inside(box, 8);
                        if (!entries)
                            return false;
                        for (const auto &entry : *entries) {
                            track.track.sampleEntries.append(entry.type);
                            if (entry.payloadSize() >= 74)
                                track.visualEntries.append(entry);
                        }
                    }
                }
            }
            pending = next;
        }
        // Only a video track's entries are visual ones.
        if (track.track.handler != "vide")
            track.visualEntries.clear();
        return true;
    }

    // Ids of removed tracks are zeroed; a kind of reference left with none is padding.
    void references(const BmffBox &tref)
    {
        const auto kinds = inside(tref);
        bool anyLeft = false;
        for (const auto &kind : kinds.value_or(QList<BmffBox> {})) {
            bool left = false;
            for (qint64 at = kind.payloadOffset(); at + 4 <= kind.end(); at += 4) {
                const qint64 index = at - m_moov.offset;
                const quint32 id = qFromBigEndian<quint32>(m_bytes.constData() + index);
                if (m_removed.contains(id))
                    m_bytes.replace(index, 4, QByteArray(4, '\0'));
                else
                    left = left || id != 0;
            }
            if (left)
                anyLeft = true;
            else
                free(kind);
        }
        if (!anyLeft)
            free(tref);
    }

    void rename(const BmffBox &handler, const QByteArray &type, bool dataReference)
    {
        const QByteArrayView payload = payloadOf(handler);
        const QByteArray field = payload.sliced(24).toByteArray();
        // QuickTime fills the component type and counts the name's length in its first byte.
        const bool quickTime = qFromBigEndian<quint32>(payload.data() + 4) != 0;
        const bool counted = quickTime && !field.isEmpty() && quint8(field.at(0)) < field.size();
        const QByteArray name = Mp4Tracks::rewrittenName(field, counted, Mp4Tracks::neutralHandlerName(type, dataReference));
        m_bytes.replace(handler.payloadOffset() + 24 - m_moov.offset, name.size(), name);
    }

    const BmffBox &m_moov;
    QByteArray &m_bytes;
    const bool m_keepMovieTags;
    QList<TrackBoxes> m_tracks;
    QList<BmffBox> m_extras, m_movieTags;
    QSet<quint32> m_chapterTracks, m_removed;
};

QString language(const Scrubber &scrubber, const TrackBoxes &track)
{
    if (!track.mdhd)
        return QStringLiteral("und");
    ByteCursor cursor(scrubber.payloadOf(*track.mdhd));
    cursor.skip(cursor.u8() == 1 ? 3 + 28 : 3 + 16);
    const quint16 packed = cursor.u16();
    // Below 0x400 it is one of QuickTime's Macintosh language numbers.
    if (!cursor.ok() || packed < 0x400)
        return QStringLiteral("und");
    QString code;
    for (int shift : {10, 5, 0})
        code += QChar(0x60 + ((packed >> shift) & 0x1f));
    return code;
}

// A text sample: a 16-bit length and the text, UTF-8 or UTF-16 with its mark.
QString sampleText(const QByteArray &sample)
{
    ByteCursor cursor(sample);
    const QByteArray text = cursor.bytes(cursor.u16());
    if (!cursor.ok())
        return {};
    if (text.startsWith("\xfe\xff"))
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.constData() + 2), (text.size() - 2) / 2);
    return QString::fromUtf8(text);
}

ContainerItem contentOf(const ByteSource &source, const Scrubber &scrubber, const TrackBoxes &track)
{
    constexpr int maxTitles = 100;
    constexpr qint64 maxTitle = 1024;
    const auto spans = scrubber.samples(track).value_or(QList<Span> {});
    ContainerItem item {translated("movie_track", "track %1").arg(track.track.id), "subtitles", track.trak.offset,
                        track.trak.size, ItemRole::content, KeptBecause::content, {}};
    if (scrubber.isChapterTrack(track.track.id)) {
        item.type = "chapters";
        QStringList titles;
        for (const Span &span : spans) {
            if (titles.size() == maxTitles)
                break;
            if (const auto sample = source.read(span.offset, qMin(span.length, maxTitle)))
                titles.append(sampleText(*sample));
        }
        item.detail = titles.join(QStringLiteral(", "));
        return item;
    }
    // Players write an empty sample (its length alone) between cues.
    const auto cues = std::count_if(spans.begin(), spans.end(), [](const Span &span) { return span.length > 2; });
    item.detail = translated("movie_subtitle_detail", "%1, %2 cues").arg(language(scrubber, track), QString::number(cues));
    return item;
}

// An H.264 or HEVC track's notes, in its configuration and its pictures,
// or FFmpeg's name in an AAC track's first frame.
std::optional<QList<EncoderNotes::Note>> encoderNotes(const ByteSource &source, const Scrubber &scrubber,
                                                      const TrackBoxes &track)
{
    QList<EncoderNotes::Note> notes;
    std::optional<EncoderNotes::StreamFormat> format;
    for (const auto &entry : track.visualEntries) {
        const QByteArrayView payload = scrubber.payloadOf(entry);
        if (!format)
            format = EncoderNotes::formatOfSampleEntry(entry.type, payload);
        const auto inEntry = EncoderNotes::inSampleEntry(entry.type, payload, entry.payloadOffset());
        if (!inEntry)
            return std::nullopt;
        notes += *inEntry;
    }
    const bool aac = track.track.handler == "soun" && track.track.sampleEntries.contains("mp4a");
    if (!format && !aac)
        return notes;
    const auto samples = scrubber.samples(track);
    const auto inSamples = samples ? EncoderNotes::inSamples(source, *samples, format, aac) : std::nullopt;
    if (!inSamples)
        return std::nullopt;
    return notes + *inSamples;
}

} // namespace

Expected<MovieScrub::Outcome> MovieScrub::scrub(const QString &stagedPath, bool keepMovieTags)
{
    return editStagedCopy(stagedPath, [keepMovieTags](QIODevice &file, const QString &name) {
        return scrub(file, name, keepMovieTags);
    });
}

Expected<MovieScrub::Outcome> MovieScrub::scrub(QIODevice &file, const QString &name, bool keepMovieTags)
{
    const ByteSource source(file);
    const auto top = BmffBoxes::inFile(source, 0, source.size());
    const BmffBox *moov = BmffBoxes::find(top.boxes, "moov");
    if (top.damage || !moov)
        return unfollowable(name);
    auto bytes = source.read(moov->offset, moov->size);
    if (!bytes)
        return unfollowable(name);
    Scrubber scrubber(*moov, *bytes, keepMovieTags);
    if (!scrubber.parse())
        return unfollowable(name);

    Outcome outcome;
    QList<Span> doomed, kept;
    for (const auto &track : scrubber.tracks()) {
        const bool removed = scrubber.removed().contains(track.track.id);
        if (removed)
            ++outcome.tracksRemoved;
        else if (Mp4Tracks::roleOf(track.track, scrubber.isChapterTrack(track.track.id)) == ItemRole::content)
            outcome.content.append(contentOf(source, scrubber, track));
        if (scrubber.removed().isEmpty())
            continue;
        const auto spans = scrubber.samples(track);
        if (!spans)
            return unfollowable(name);
        (removed ? doomed : kept) += *spans;
    }
    // Fragments would hold more of a removed track's samples, out of the index's sight.
    if (!doomed.isEmpty() && BmffBoxes::find(top.boxes, "moof"))
        return unfollowable(name);
    doomed = Mp4SampleTable::merged(doomed);
    kept = Mp4SampleTable::merged(kept);
    for (const Span &span : std::as_const(doomed)) {
        const bool inMedia = std::any_of(top.boxes.begin(), top.boxes.end(), [&](const BmffBox &box) {
            return box.type == "mdat" && span.offset >= box.payloadOffset() && span.end() <= box.end();
        });
        if (!inMedia || Mp4SampleTable::overlaps(kept, span)) {
            return CleanError(CleanError::Kind::verifyFailed,
                              {name, translated("movie_bytes_shared", "a data track's samples lie outside its own bytes")});
        }
    }

    scrubber.edit();
    const auto writeAt = [&file](qint64 offset, const QByteArray &data) {
        return file.seek(offset) && file.write(data) == data.size();
    };
    if (!writeAt(moov->offset, *bytes))
        return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
    for (const Span &span : std::as_const(doomed)) {
        for (qint64 done = 0; done < span.length;) {
            const qint64 chunk = qMin<qint64>(span.length - done, 1 << 20);
            if (!writeAt(span.offset + done, QByteArray(chunk, '\0')))
                return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
            done += chunk;
        }
    }

    // The notes encoders leave in the streams, cleared where they lie.
    for (const auto &track : scrubber.tracks()) {
        if (scrubber.removed().contains(track.track.id))
            continue;
        const auto notes = encoderNotes(source, scrubber, track);
        if (!notes)
            return unfollowable(name);
        for (const auto &note : *notes) {
            if (note.cleared)
                continue;
            if (!writeAt(note.offset, note.blank))
                return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
            ++outcome.encoderNotesCleared;
        }
    }

    // Dates are exiftool's to clear; whatever else in the index still tells is this editor's miss.
    const ContainerWalk after = walkMovie(file);
    if (after.damage)
        return unfollowable(name);
    static const QSet<QByteArray> dates {"mvhd", "tkhd", "mdhd"};
    const auto inMovieTags = [&scrubber](const ContainerItem &item) {
        return std::any_of(scrubber.movieTags().begin(), scrubber.movieTags().end(), [&item](const BmffBox &box) {
            return item.offset >= box.offset && item.offset < box.end();
        });
    };
    for (const auto &item : after.items) {
        if (item.role == ItemRole::identifying && item.offset >= moov->offset && item.offset < moov->end()
            && item.type != "moov" && !dates.contains(item.type) && !inMovieTags(item)) {
            return CleanError(CleanError::Kind::verifyFailed,
                              {name, translated("movie_index_left", "a data track or a maker's name was still there afterwards")});
        }
    }
    return outcome;
}
