#include "Mp4Tracks.h"

#include "BmffBoxes.h"
#include "ByteCursor.h"
#include "ByteSource.h"
#include "ContainerText.h"
#include "EncoderNotes.h"
#include "Mp4SampleTable.h"

#include <QIODevice>
#include <QSet>

using ContainerText::translated;

namespace {

// Index boxes worth reading whole; anything bigger is not what it claims to be.
constexpr qint64 maxSmallBox = qint64(1) << 20;

ContainerItem itemOf(QString place, const BmffBox &box, ItemRole role, KeptBecause why, QString detail = {})
{
    return {std::move(place), box.type, box.offset, box.size, role, why, std::move(detail)};
}

// Where a track's samples lie, and how its stream is coded.
struct SampleIndex
{
    std::optional<BmffBox> offsets, chunks, sizes;
    std::optional<EncoderNotes::StreamFormat> format; // of H.264 or HEVC video
    bool aac = false;
    QList<EncoderNotes::Note> notes; // in the sample entries' decoder configurations
};

class MovieWalker
{
public:
    MovieWalker(const ByteSource &source, ContainerWalk &walk) : m_source(source), m_walk(walk) { }

    void run()
    {
        const auto top = BmffBoxes::inFile(m_source, 0, m_source.size());
        noteDamage(top.damage);
        static const QSet<QByteArray> framing {"ftyp", "free", "skip", "wide", "moof", "mfra", "sidx", "styp"};
        const QString place = translated("bmff_top_level", "file");
        for (const auto &box : top.boxes) {
            if (box.type == "moov") {
                m_walk.items.append(itemOf(place, box, ItemRole::needed, KeptBecause::structure));
                movie(box);
            } else if (box.type == "mdat") {
                m_walk.items.append(itemOf(place, box, ItemRole::needed, KeptBecause::media));
            } else if (framing.contains(box.type)) {
                m_walk.items.append(itemOf(place, box, ItemRole::needed, KeptBecause::structure));
            } else {
                m_walk.items.append(itemOf(place, box, ItemRole::identifying, KeptBecause::structure));
            }
        }
    }

private:
    void noteDamage(const std::optional<QString> &damage)
    {
        if (damage && !m_walk.damage)
            m_walk.damage = damage;
    }

    QList<BmffBox> inside(const BmffBox &box)
    {
        auto listing = BmffBoxes::inFile(m_source, box.payloadOffset(), box.end());
        noteDamage(listing.damage);
        return listing.boxes;
    }

    std::optional<QByteArray> payload(const BmffBox &box)
    {
        auto bytes = box.payloadSize() <= maxSmallBox ? m_source.read(box.payloadOffset(), box.payloadSize()) : std::nullopt;
        if (!bytes)
            noteDamage(ContainerText::brokenAt(box.offset));
        return bytes;
    }

    // mvhd, tkhd and mdhd: the creation and modification dates a muxer copies from the clock.
    void dates(const QString &place, const BmffBox &box)
    {
        const auto bytes = payload(box);
        if (!bytes)
            return;
        ByteCursor cursor(*bytes);
        const int version = cursor.u8();
        cursor.skip(3);
        const quint64 created = cursor.number(version == 1 ? 8 : 4), modified = cursor.number(version == 1 ? 8 : 4);
        if (!cursor.ok())
            noteDamage(ContainerText::brokenAt(box.offset));
        const bool dated = created != 0 || modified != 0;
        m_walk.items.append(itemOf(place, box, dated ? ItemRole::identifying : ItemRole::needed, KeptBecause::structure,
                                   dated ? translated("movie_creation_date", "creation date") : QString()));
    }

    void movie(const BmffBox &moov)
    {
        const QString place = translated("movie_index", "movie index");
        QList<Mp4Tracks::Track> tracks;
        QList<SampleIndex> samples;
        QSet<quint32> chapterTracks;
        for (const auto &box : inside(moov)) {
            if (box.type == "mvhd") {
                dates(place, box);
            } else if (box.type == "trak") {
                tracks.append(track(box, chapterTracks, samples.emplace_back()));
            } else if (box.type == "mvex" || box.type == "iods" || box.type == "free" || box.type == "skip") {
                m_walk.items.append(itemOf(place, box, ItemRole::needed, KeptBecause::structure));
            } else {
                // udta (©xyz, ©day, ©nam...), meta with keys and ilst, and anything unknown
                for (const auto &part : box.type == "udta" ? inside(box) : QList<BmffBox> {box})
                    m_walk.items.append(itemOf(place, part, ItemRole::identifying, KeptBecause::structure));
            }
        }
        for (qsizetype i = 0; i < tracks.size(); ++i) {
            const Mp4Tracks::Track &track = tracks[i];
            const bool chapters = chapterTracks.contains(track.id);
            const ItemRole role = Mp4Tracks::roleOf(track, chapters);
            if (role == ItemRole::needed)
                encoderNotes(track, samples[i]);
            const KeptBecause why = role == ItemRole::content ? KeptBecause::content : KeptBecause::media;
            const BmffBox box {"trak", {}, track.offset, track.size, 8};
            const QString detail = chapters ? translated("movie_chapter_track", "chapters")
                                            : QString::fromLatin1(track.handler + ' ' + track.sampleEntries.join(','));
            m_walk.items.append(itemOf(translated("movie_track", "track %1").arg(track.id), box, role, why, detail));
        }
    }

    // The notes encoders left in a track's stream, told once per track.
    void encoderNotes(const Mp4Tracks::Track &track, const SampleIndex &index)
    {
        EncoderNotes::Tally tally;
        tally.add(index.notes);
        if ((index.format || index.aac) && index.offsets && index.chunks && index.sizes) {
            const auto whole = [this](const BmffBox &box) { return m_source.read(box.payloadOffset(), box.payloadSize()); };
            const auto offsets = whole(*index.offsets), chunks = whole(*index.chunks), sizes = whole(*index.sizes);
            const auto samples = offsets && chunks && sizes
                ? Mp4SampleTable::samples(*offsets, index.offsets->type == "co64", *chunks, *sizes, index.sizes->type == "stz2")
                : std::nullopt;
            const auto notes = samples ? EncoderNotes::inSamples(m_source, *samples, index.format, index.aac) : std::nullopt;
            if (!notes) {
                noteDamage(ContainerText::brokenAt(index.sizes->offset));
                return;
            }
            tally.add(*notes);
        }
        const QString place = translated("movie_track", "track %1").arg(track.id);
        for (const auto &item : {tally.item(place), tally.keptItem(place)}) {
            if (item)
                m_walk.items.append(*item);
        }
    }

    Mp4Tracks::Track track(const BmffBox &trak, QSet<quint32> &chapterTracks, SampleIndex &samples)
    {
        Mp4Tracks::Track track;
        track.offset = trak.offset;
        track.size = trak.size;
        QList<BmffBox> pending {trak};
        QString place = translated("movie_track_unnumbered", "track");
        // trak > mdia > minf > stbl > stsd is as deep as this goes; pending never grows past a few dozen.
        for (int depth = 0; !pending.isEmpty() && depth < 5; ++depth) {
            QList<BmffBox> next;
            for (const auto &parent : std::as_const(pending)) {
                for (const auto &box : inside(parent)) {
                    if (box.type == "tkhd") {
                        if (const auto bytes = payload(box)) {
                            ByteCursor cursor(*bytes);
                            const int version = cursor.u8();
                            cursor.skip(version == 1 ? 19 : 11);
                            track.id = cursor.u32();
                            place = translated("movie_track", "track %1").arg(track.id);
                        }
                        dates(place, box);
                    } else if (box.type == "mdhd") {
                        dates(place, box);
                    } else if (box.type == "hdlr") {
                        handler(place, box, parent.type == "mdia" ? &track : nullptr);
                    } else if (box.type == "tref") {
                        references(box, chapterTracks);
                    } else if (box.type == "stsd") {
                        sampleEntries(place, box, track, samples);
                    } else if (box.type == "stco" || box.type == "co64") {
                        samples.offsets = box;
                    } else if (box.type == "stsc") {
                        samples.chunks = box;
                    } else if (box.type == "stsz" || box.type == "stz2") {
                        samples.sizes = box;
                    } else if (box.type == "mdia" || box.type == "minf" || box.type == "stbl") {
                        next.append(box);
                    } else if (box.type == "udta" || box.type == "meta") {
                        m_walk.items.append(itemOf(place, box, ItemRole::identifying, KeptBecause::structure));
                    }
                }
            }
            pending = next;
        }
        return track;
    }

    void handler(const QString &place, const BmffBox &box, Mp4Tracks::Track *track)
    {
        const auto bytes = payload(box);
        if (!bytes)
            return;
        ByteCursor cursor(*bytes);
        cursor.skip(4);
        const bool quickTime = cursor.u32() != 0;
        const QByteArray type = cursor.bytes(4);
        cursor.skip(12);
        const QByteArray name = Mp4Tracks::handlerName(cursor.remaining() > 0 ? bytes->mid(cursor.position()) : QByteArray(), quickTime);
        if (track)
            track->handler = type, track->handlerName = name;
        const bool neutral = Mp4Tracks::isNeutralHandlerName(name);
        m_walk.items.append(itemOf(place, box, neutral ? ItemRole::needed : ItemRole::identifying, KeptBecause::structure,
                                   QString::fromUtf8(name)));
    }

    void references(const BmffBox &tref, QSet<quint32> &chapterTracks)
    {
        for (const auto &box : inside(tref)) {
            if (box.type != "chap")
                continue;
            const auto bytes = payload(box);
            for (ByteCursor cursor(bytes.value_or(QByteArray())); cursor.remaining() >= 4;)
                chapterTracks.insert(cursor.u32());
        }
    }

    void sampleEntries(const QString &place, const BmffBox &stsd, Mp4Tracks::Track &track, SampleIndex &samples)
    {
        const auto bytes = payload(stsd);
        if (!bytes || bytes->size() < 8)
            return;
        const auto listing = BmffBoxes::inBytes(QByteArrayView(*bytes).sliced(8), stsd.payloadOffset() + 8);
        noteDamage(listing.damage);
        for (const auto &entry : listing.boxes) {
            track.sampleEntries.append(entry.type);
            if (track.handler == "soun" && entry.type == "mp4a")
                samples.aac = true;
            if (track.handler != "vide")
                continue;
            const QByteArrayView payload = QByteArrayView(*bytes).sliced(entry.payloadOffset() - stsd.payloadOffset(),
                                                                         entry.payloadSize());
            if (!samples.format)
                samples.format = EncoderNotes::formatOfSampleEntry(entry.type, payload);
            if (const auto notes = EncoderNotes::inSampleEntry(entry.type, payload, entry.payloadOffset()))
                samples.notes += *notes;
            else
                noteDamage(ContainerText::brokenAt(entry.offset));
            // A visual sample entry names its compressor in a 32-byte counted string after 42 fixed bytes.
            ByteCursor cursor(payload);
            cursor.skip(42);
            const int length = cursor.u8();
            const QByteArray name = cursor.bytes(qMin(length, 31));
            if (cursor.ok() && !name.trimmed().isEmpty()) {
                m_walk.items.append(itemOf(place, entry, ItemRole::identifying, KeptBecause::structure,
                                           QString::fromLatin1(name)));
            }
        }
    }

    const ByteSource &m_source;
    ContainerWalk &m_walk;
};

} // namespace

ItemRole Mp4Tracks::roleOf(const Track &track, bool isChapterTrack)
{
    static const QSet<QByteArray> dataEntries {"gpmd", "camm", "mett", "metx", "tmcd", "rtmd", "mebx"};
    static const QSet<QByteArray> subtitleEntries {"tx3g", "wvtt", "c608", "c708", "stpp", "text"};
    for (const auto &entry : track.sampleEntries) {
        if (dataEntries.contains(entry))
            return ItemRole::identifying;
    }
    if (track.handler == "meta" || track.handler == "tmcd" || track.handler == "camm")
        return ItemRole::identifying;
    if (isChapterTrack)
        return ItemRole::content;
    if (track.handler == "text" || track.handler == "sbtl" || track.handler == "subt")
        return ItemRole::content;
    for (const auto &entry : track.sampleEntries) {
        if (subtitleEntries.contains(entry))
            return ItemRole::content;
    }
    if (track.handler == "vide" || track.handler == "soun")
        return ItemRole::needed;
    return ItemRole::identifying;
}

bool Mp4Tracks::isNeutralHandlerName(const QByteArray &name)
{
    return name.isEmpty() || name == "VideoHandler" || name == "SoundHandler" || name == "SubtitleHandler"
        || name == "DataHandler";
}

QByteArray Mp4Tracks::handlerName(const QByteArray &field, bool quickTime)
{
    // QuickTime counts the name's length in its first byte (and fills the
    // component type, which MP4 leaves zero); MP4 ends it with a NUL.
    QByteArray name = field;
    const int count = name.isEmpty() ? -1 : quint8(name.at(0));
    if (count >= 0 && (count == name.size() - 1 || (quickTime && count < name.size())))
        name = name.mid(1, count);
    if (name.contains('\0'))
        name.truncate(name.indexOf('\0'));
    return name;
}

QByteArray Mp4Tracks::neutralHandlerName(const QByteArray &handlerType, bool dataReference)
{
    if (dataReference)
        return "DataHandler";
    if (handlerType == "vide")
        return "VideoHandler";
    if (handlerType == "soun")
        return "SoundHandler";
    if (handlerType == "text" || handlerType == "sbtl" || handlerType == "subt")
        return "SubtitleHandler";
    return "DataHandler";
}

QByteArray Mp4Tracks::rewrittenName(const QByteArray &field, bool counted, const QByteArray &word)
{
    QByteArray out(field.size(), '\0');
    if (counted && field.size() >= word.size() + 1) {
        // The count covers the whole field, NULs included: readers take a
        // counted string only when it fills its field.
        out[0] = char(field.size() - 1);
        out.replace(1, word.size(), word);
    } else if (!counted && field.size() >= word.size() + 1) {
        out.replace(0, word.size(), word);
    }
    return out;
}

ContainerWalk walkMovie(QIODevice &file)
{
    ContainerWalk walk;
    const ByteSource source(file);
    MovieWalker(source, walk).run();
    return walk;
}
