#include "MatroskaElements.h"

#include "ByteSource.h"
#include "ContainerText.h"
#include "EncoderNotes.h"

#include <QHash>
#include <QIODevice>
#include <QSet>

using ContainerText::translated;

namespace {

enum : quint32 {
    ebmlHeader = 0x1a45dfa3, segment = 0x18538067, seekHead = 0x114d9b74, info = 0x1549a966, tracks = 0x1654ae6b,
    chapters = 0x1043a770, attachments = 0x1941a469, tags = 0x1254c367, cluster = 0x1f43b675, cues = 0x1c53bb6b,
    voidElement = 0xec, crc32 = 0xbf, title = 0x7ba9, dateUtc = 0x4461, muxingApp = 0x4d80, writingApp = 0x5741,
    segmentFilename = 0x7384, prevFilename = 0x3c83ab, nextFilename = 0x3e83bb, trackEntry = 0xae, trackName = 0x536e,
    trackType = 0x83, language = 0x22b59c, codecId = 0x86, attachedFile = 0x61a7, fileName = 0x466e,
    fileDescription = 0x467e, fileMimeType = 0x4660, chapterString = 0x85, editionEntry = 0x45b9,
    chapterAtom = 0xb6, chapterDisplay = 0x80, trackNumber = 0xd7, codecPrivate = 0x63a2, simpleBlock = 0xa3,
    blockGroup = 0xa0, block = 0xa1,
};

// More blocks than a film of days has; past it, the rest is damage.
constexpr qint64 maxBlocks = qint64(1) << 26;

// A variable-length number in bytes already read: the ID keeps its length
// marker, a size drops it. `allOnes` is a size's "unknown".
std::optional<std::pair<quint64, int>> vintIn(QByteArrayView bytes, qsizetype at, bool keepMarker, bool *allOnes = nullptr)
{
    if (at >= bytes.size() || bytes[at] == 0)
        return std::nullopt;
    const quint8 lead = quint8(bytes[at]);
    const int length = 1 + __builtin_clz(quint32(lead)) - 24;
    if (length > (keepMarker ? 4 : 8) || bytes.size() - at < length)
        return std::nullopt;
    quint64 value = keepMarker ? lead : lead & (0xffu >> length);
    bool ones = (lead & (0xffu >> length)) == (0xffu >> length);
    for (int i = 1; i < length; ++i) {
        value = (value << 8) | quint8(bytes[at + i]);
        ones = ones && quint8(bytes[at + i]) == 0xff;
    }
    if (allOnes)
        *allOnes = ones;
    return std::pair {value, length};
}

const QSet<quint32> segmentLevel {seekHead, info, tracks, chapters, attachments, tags, cluster, cues, voidElement, crc32};

struct Element
{
    quint32 id = 0;
    qint64 offset = 0;
    qint64 headerSize = 0;
    qint64 size = 0; // the payload's
    bool unknownSize = false;

    qint64 payloadOffset() const { return offset + headerSize; }
    qint64 end() const { return payloadOffset() + size; }
};

class MatroskaWalker
{
public:
    MatroskaWalker(const ByteSource &source, ContainerWalk &walk) : m_source(source), m_walk(walk) { }

    void run()
    {
        const QString place = translated("bmff_top_level", "file");
        const auto top = children(0, m_source.size(), {});
        if (top.isEmpty() || top.first().id != ebmlHeader)
            fail(0);
        for (const auto &element : top) {
            if (element.id == ebmlHeader)
                add(place, element, "EBML", ItemRole::needed, KeptBecause::structure);
            else if (element.id == segment)
                segmentContents(element);
            else if (element.id != voidElement)
                add(place, element, hex(element.id), ItemRole::identifying, KeptBecause::structure);
        }
    }

    // Every encoder's note in the video tracks, cleared ones included.
    const QList<EncoderNotes::Note> &notes() const { return m_notes; }

private:
    static QByteArray hex(quint32 id) { return "0x" + QByteArray::number(id, 16).toUpper(); }

    void fail(qint64 offset)
    {
        if (!m_walk.damage)
            m_walk.damage = ContainerText::brokenAt(offset);
    }

    void add(const QString &place, const Element &element, const QByteArray &type, ItemRole role, KeptBecause why,
             QString detail = {})
    {
        m_walk.items.append({place, type, element.offset, element.headerSize + element.size, role, why, std::move(detail)});
    }

    // A variable-length number: the ID keeps its length marker, a size drops it.
    std::optional<std::pair<quint64, int>> vint(qint64 at, bool keepMarker, bool &allOnes)
    {
        const auto bytes = m_source.read(at, std::clamp<qint64>(m_source.size() - at, 0, 8));
        return bytes ? vintIn(*bytes, 0, keepMarker, &allOnes) : std::nullopt;
    }

    std::optional<Element> header(qint64 at, qint64 end)
    {
        bool ignored = false, unknown = false;
        const auto id = vint(at, true, ignored);
        const auto size = id ? vint(at + id->second, false, unknown) : std::nullopt;
        if (!size)
            return std::nullopt;
        Element element {quint32(id->first), at, id->second + size->second, qint64(size->first), unknown};
        if (unknown)
            element.size = end - element.payloadOffset();
        if (element.size < 0 || element.size > end - element.payloadOffset())
            return std::nullopt;
        return element;
    }

    // The elements in [begin, end). An element of unknown size ends where one of `endsAt` begins.
    QList<Element> children(qint64 begin, qint64 end, const QSet<quint32> &endsAt)
    {
        QList<Element> out;
        for (qint64 at = begin; at < end;) {
            if (++m_count > MatroskaElements::maxElements) {
                m_walk.damage = ContainerText::tooMany(at);
                break;
            }
            auto element = header(at, end);
            if (!element) {
                fail(at);
                break;
            }
            if (endsAt.contains(element->id)) {
                m_resumeAt = at;
                break;
            }
            if (element->unknownSize && element->id == cluster) {
                // Its blocks have sizes; the cluster ends at the next segment-level element.
                m_resumeAt = end;
                children(element->payloadOffset(), end, segmentLevel);
                element->size = m_resumeAt - element->payloadOffset();
            } else if (element->unknownSize && element->id != segment) {
                fail(at); // only clusters and segments are written without a size
                break;
            }
            out.append(*element);
            at = element->end();
        }
        return out;
    }

    QByteArray text(const Element &element)
    {
        if (element.size > 65536)
            return {};
        QByteArray value = m_source.read(element.payloadOffset(), element.size).value_or(QByteArray());
        const qsizetype nul = value.indexOf('\0');
        return nul >= 0 ? value.left(nul) : value;
    }

    quint64 unsignedValue(const Element &element)
    {
        quint64 value = 0;
        if (element.size <= 8) {
            for (char c : m_source.read(element.payloadOffset(), element.size).value_or(QByteArray()))
                value = (value << 8) | quint8(c);
        }
        return value;
    }

    void segmentContents(const Element &seg)
    {
        const QString place = translated("mkv_segment", "segment");
        add(place, {seg.id, seg.offset, seg.headerSize, 0, false}, "Segment", ItemRole::needed, KeptBecause::structure);
        for (const auto &element : children(seg.payloadOffset(), seg.end(), {})) {
            switch (element.id) {
            case seekHead: add(place, element, "SeekHead", ItemRole::needed, KeptBecause::structure); break;
            case cues: add(place, element, "Cues", ItemRole::needed, KeptBecause::structure); break;
            case voidElement: add(place, element, "Void", ItemRole::needed, KeptBecause::structure); break;
            case crc32: add(place, element, "CRC-32", ItemRole::needed, KeptBecause::structure); break;
            case cluster:
                add(place, element, "Cluster", ItemRole::needed, KeptBecause::media);
                m_clusters.append(element);
                break;
            case tags: add(place, element, "Tags", ItemRole::identifying, KeptBecause::structure); break;
            case info: infoContents(element); break;
            case tracks: trackContents(element); break;
            case chapters: chapterContents(element); break;
            case attachments: attachmentContents(element); break;
            default: add(place, element, hex(element.id), ItemRole::identifying, KeptBecause::structure);
            }
        }
        if (m_streams.isEmpty())
            return;
        for (const auto &cluster : std::as_const(m_clusters)) {
            if (!blockNotes(cluster.payloadOffset(), cluster.end(), true))
                break;
        }
        for (auto it = m_streams.cbegin(); it != m_streams.cend(); ++it) {
            const QString place = translated("movie_track", "track %1").arg(it.key());
            for (const auto &item : {it->tally.item(place), it->tally.keptItem(place)}) {
                if (item)
                    m_walk.items.append(*item);
            }
        }
    }

    // The notes in the pictures of the blocks in [begin, end), a cluster's
    // or a block group's; false once the blocks stop adding up.
    bool blockNotes(qint64 begin, qint64 end, bool groupsInside)
    {
        for (qint64 at = begin; at < end;) {
            if (++m_blocks > maxBlocks) {
                m_walk.damage = ContainerText::tooMany(at);
                return false;
            }
            // An element's ID and size, and a block's track number, time and flags.
            const auto head = m_source.read(at, qMin<qint64>(24, end - at)).value_or(QByteArray());
            bool unknown = false;
            const auto id = vintIn(head, 0, true);
            const auto size = id ? vintIn(head, id->second, false, &unknown) : std::nullopt;
            const qint64 payloadAt = id && size ? at + id->second + size->second : 0;
            if (!size || unknown || qint64(size->first) > end - payloadAt) {
                fail(at);
                return false;
            }
            const qint64 elementEnd = payloadAt + qint64(size->first);
            if (id->first == blockGroup && groupsInside) {
                if (!blockNotes(payloadAt, elementEnd, false))
                    return false;
            } else if (id->first == simpleBlock || id->first == block) {
                const qsizetype trackAt = id->second + size->second;
                const auto track = vintIn(head, trackAt, false);
                const qint64 pictureAt = track ? payloadAt + track->second + 3 : 0;
                if (!track || pictureAt > elementEnd || head.size() < trackAt + track->second + 3) {
                    fail(at);
                    return false;
                }
                const auto stream = m_streams.find(track->first);
                if (stream != m_streams.end() && stream->format) {
                    // Lacing packs several frames into one block: sound does, video never.
                    const quint8 flags = quint8(head[trackAt + track->second + 2]);
                    const auto notes = (flags & 0x06) == 0
                        ? EncoderNotes::inPicture(m_source, pictureAt, elementEnd - pictureAt, *stream->format)
                        : std::nullopt;
                    if (!notes) {
                        fail(at);
                        return false;
                    }
                    stream->tally.add(*notes);
                    m_notes += *notes;
                } else if (stream != m_streams.end() && !stream->seen) {
                    // FFmpeg's AAC encoder names itself in its first frame.
                    stream->seen = true;
                    const auto frame = m_source.read(pictureAt, qMin<qint64>(elementEnd - pictureAt, qint64(1) << 20));
                    if (!frame) {
                        fail(at);
                        return false;
                    }
                    const auto notes = EncoderNotes::inAacFrame(*frame, pictureAt);
                    stream->tally.add(notes);
                    m_notes += notes;
                }
            }
            at = elementEnd;
        }
        return true;
    }

    void infoContents(const Element &parent)
    {
        const QString place = translated("mkv_info", "segment info");
        add(place, parent, "Info", ItemRole::needed, KeptBecause::structure);
        for (const auto &element : children(parent.payloadOffset(), parent.end(), {})) {
            const QByteArray value = text(element);
            if (element.id == title || element.id == segmentFilename || element.id == prevFilename
                || element.id == nextFilename)
                add(place, element, element.id == title ? "Title" : "Filename", ItemRole::identifying,
                    KeptBecause::structure, QString::fromUtf8(value));
            else if (element.id == dateUtc)
                add(place, element, "DateUTC", ItemRole::identifying, KeptBecause::structure);
            else if (element.id == muxingApp || element.id == writingApp)
                add(place, element, element.id == muxingApp ? "MuxingApp" : "WritingApp",
                    MatroskaElements::isNeutralApplication(value) ? ItemRole::needed : ItemRole::identifying,
                    KeptBecause::structure, QString::fromUtf8(value));
        }
    }

    void trackContents(const Element &parent)
    {
        const QString place = translated("mkv_tracks", "tracks");
        add(place, parent, "Tracks", ItemRole::needed, KeptBecause::structure);
        for (const auto &entry : children(parent.payloadOffset(), parent.end(), {})) {
            if (entry.id != trackEntry) {
                const bool padding = entry.id == voidElement || entry.id == crc32;
                add(place, entry, hex(entry.id), padding ? ItemRole::needed : ItemRole::identifying, KeptBecause::structure);
                continue;
            }
            quint64 type = 0, number = 0;
            QByteArray codec, lang = "eng";
            std::optional<Element> configuration;
            for (const auto &element : children(entry.payloadOffset(), entry.end(), {})) {
                if (element.id == trackType)
                    type = unsignedValue(element);
                else if (element.id == trackNumber)
                    number = unsignedValue(element);
                else if (element.id == codecPrivate)
                    configuration = element;
                else if (element.id == codecId)
                    codec = text(element);
                else if (element.id == language)
                    lang = text(element);
                else if (element.id == trackName && !text(element).isEmpty())
                    add(place, element, "Name", ItemRole::identifying, KeptBecause::structure, QString::fromUtf8(text(element)));
            }
            if (type == 1 && configuration)
                videoTrack(number, codec, *configuration);
            else if (type == 2 && codec.startsWith("A_AAC"))
                m_streams.insert(number, {});
            else if (type == 2 && codec == "A_VORBIS" && configuration)
                vorbisTrack(number, *configuration);
            const bool subtitle = type == 17;
            add(place, entry, "TrackEntry", subtitle ? ItemRole::content : ItemRole::needed,
                subtitle ? KeptBecause::content : KeptBecause::media, QString::fromUtf8(subtitle ? lang : codec));
        }
    }

    // An H.264 or HEVC track: how its pictures are framed, and the notes in its configuration.
    void videoTrack(quint64 number, const QByteArray &codec, const Element &configuration)
    {
        const auto kind = codec == "V_MPEG4/ISO/AVC" ? std::optional(EncoderNotes::Codec::avc)
                        : codec == "V_MPEGH/ISO/HEVC" ? std::optional(EncoderNotes::Codec::hevc) : std::nullopt;
        const auto record = kind && configuration.size <= (qint64(1) << 20)
            ? m_source.read(configuration.payloadOffset(), configuration.size) : std::nullopt;
        const auto format = record ? EncoderNotes::formatOfConfiguration(*kind, *record) : std::nullopt;
        if (!format)
            return;
        const auto notes = EncoderNotes::inConfiguration(*kind, *record, configuration.payloadOffset());
        if (!notes) {
            fail(configuration.offset);
            return;
        }
        Stream &track = m_streams[number];
        track.format = *format;
        track.tally.add(*notes);
        m_notes += *notes;
    }

    // A Vorbis track keeps its comment header, with the encoder's vendor string, in its codec data.
    void vorbisTrack(quint64 number, const Element &configuration)
    {
        const auto record = configuration.size <= (qint64(1) << 20)
            ? m_source.read(configuration.payloadOffset(), configuration.size) : std::nullopt;
        const auto notes = record ? EncoderNotes::inVorbisHeaders(*record, configuration.payloadOffset()) : std::nullopt;
        if (!notes) {
            fail(configuration.offset);
            return;
        }
        Stream &track = m_streams[number];
        track.seen = true; // its blocks are sound alone
        track.tally.add(*notes);
        m_notes += *notes;
    }

    void chapterContents(const Element &parent)
    {
        QStringList names;
        QList<Element> pending {parent};
        for (int depth = 0; depth < MatroskaElements::maxDepth && !pending.isEmpty(); ++depth) {
            QList<Element> next;
            for (const auto &element : std::as_const(pending)) {
                for (const auto &child : children(element.payloadOffset(), element.end(), {})) {
                    if (child.id == chapterString)
                        names << QString::fromUtf8(text(child));
                    else if (child.id == editionEntry || child.id == chapterAtom || child.id == chapterDisplay)
                        next.append(child);
                }
            }
            pending = next;
        }
        add(translated("mkv_chapters", "chapters"), parent, "Chapters", ItemRole::content, KeptBecause::content,
            names.join(u", "_qs));
    }

    void attachmentContents(const Element &parent)
    {
        const QString place = translated("mkv_attachments", "attachments");
        add(place, parent, "Attachments", ItemRole::needed, KeptBecause::structure);
        for (const auto &file : children(parent.payloadOffset(), parent.end(), {})) {
            if (file.id == voidElement || file.id == crc32) {
                add(place, file, file.id == crc32 ? "CRC-32" : "Void", ItemRole::needed, KeptBecause::structure);
                continue;
            }
            if (file.id != attachedFile) {
                add(place, file, hex(file.id), ItemRole::identifying, KeptBecause::structure);
                continue;
            }
            QByteArray name, mime, description;
            for (const auto &element : children(file.payloadOffset(), file.end(), {})) {
                if (element.id == fileName)
                    name = text(element);
                else if (element.id == fileMimeType)
                    mime = text(element);
                else if (element.id == fileDescription)
                    description = text(element);
            }
            const bool font = MatroskaElements::isFont(QString::fromUtf8(name), mime);
            add(place, file, "AttachedFile", font && description.isEmpty() ? ItemRole::content : ItemRole::identifying,
                KeptBecause::content, QString::fromUtf8(name));
        }
    }

    // An H.264 or HEVC video track, or an AAC sound track.
    struct Stream
    {
        std::optional<EncoderNotes::StreamFormat> format; // video only
        bool seen = false;                                 // an AAC track's first block, or a Vorbis track
        EncoderNotes::Tally tally;
    };

    const ByteSource &m_source;
    ContainerWalk &m_walk;
    qint64 m_count = 0;
    qint64 m_resumeAt = 0;
    qint64 m_blocks = 0;
    QList<Element> m_clusters;
    QHash<quint64, Stream> m_streams;
    QList<EncoderNotes::Note> m_notes;
};

} // namespace

bool MatroskaElements::isFont(const QString &fileName, const QByteArray &mimeType)
{
    const QString lower = fileName.toLower();
    const bool fontName = lower.endsWith(u".ttf") || lower.endsWith(u".otf") || lower.endsWith(u".ttc");
    const bool fontType = mimeType.startsWith("font/") || mimeType == "application/x-truetype-font"
        || mimeType == "application/vnd.ms-opentype" || mimeType == "application/x-font-ttf"
        || mimeType == "application/x-font-otf";
    return fontName && (fontType || mimeType == "application/octet-stream");
}

bool MatroskaElements::isNeutralApplication(const QByteArray &name)
{
    return name == "Tessaly";
}

ContainerWalk walkMatroska(QIODevice &file)
{
    ContainerWalk walk;
    const ByteSource source(file);
    MatroskaWalker(source, walk).run();
    return walk;
}

std::optional<QList<EncoderNotes::Note>> matroskaEncoderNotes(QIODevice &file)
{
    ContainerWalk walk;
    const ByteSource source(file);
    MatroskaWalker walker(source, walk);
    walker.run();
    if (walk.damage)
        return std::nullopt;
    return walker.notes();
}
