#include "MatroskaScrub.h"
#include "StagedEdit.h"

#include "ByteSource.h"
#include "ContainerText.h"
#include "MatroskaElements.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>

using ContainerText::translated;

namespace {

enum : quint32 {
    segment = 0x18538067, tracks = 0x1654ae6b, trackEntry = 0xae, trackUid = 0x73c5, codecId = 0x86,
    codecPrivate = 0x63a2, contentEncodings = 0x6d80, attachments = 0x1941a469, attachedFile = 0x61a7,
    fileName = 0x466e, fileMimeType = 0x4660, fileDescription = 0x467e, fileUid = 0x46ae, chapters = 0x1043a770,
    editionEntry = 0x45b9, editionUid = 0x45bc, chapterAtom = 0xb6, chapterUid = 0x73c4, chapterTrack = 0x8f,
    chapterTrackUid = 0x89,
};

// Elements whose children hold a UID, a name or a subtitle header.
const QSet<quint32> masters {segment, tracks, trackEntry, attachments, attachedFile, chapters, editionEntry,
                             chapterAtom, chapterTrack};
const QSet<quint32> uids {trackUid, fileUid, editionUid, chapterUid, chapterTrackUid};

struct Uid
{
    quint32 id = 0;
    qint64 offset = 0; // of the value
    int width = 0;
    quint64 value = 0;
};

struct Index
{
    QList<Uid> uids;
    QList<std::pair<qint64, qint64>> scriptHeaders; // offset and size of each ASS/SSA header
    QList<MatroskaScrub::Font> fonts;
    bool broken = false;
};

class Reader
{
public:
    explicit Reader(const ByteSource &source) : m_source(source) { }

    Index read()
    {
        elements(0, m_source.size(), 0, 0);
        return m_index;
    }

private:
    std::optional<std::pair<quint64, int>> vint(qint64 at, bool keepMarker, bool &unknown) const
    {
        const auto first = m_source.read(at, 1);
        if (!first || quint8(first->at(0)) == 0)
            return std::nullopt;
        const quint8 lead = quint8(first->at(0));
        const int length = __builtin_clz(quint32(lead)) - 23;
        const auto bytes = m_source.read(at, length);
        if (length > (keepMarker ? 4 : 8) || !bytes)
            return std::nullopt;
        quint64 value = keepMarker ? lead : lead & (0xffu >> length);
        unknown = !keepMarker && value == (0xffu >> length);
        for (int i = 1; i < length; ++i) {
            value = (value << 8) | quint8(bytes->at(i));
            unknown = unknown && quint8(bytes->at(i)) == 0xff;
        }
        return std::pair {value, length};
    }

    QByteArray text(qint64 at, qint64 size)
    {
        return size <= 4096 ? m_source.read(at, size).value_or(QByteArray()) : QByteArray();
    }

    // The elements in [begin, end) inside `parent`; an unknown size is allowed on the segment alone.
    void elements(qint64 begin, qint64 end, quint32 parent, int depth)
    {
        QByteArray codec, name, mime;
        std::optional<std::pair<qint64, qint64>> header;
        bool encoded = false, described = false;
        quint64 uid = 0;
        for (qint64 at = begin; at < end && !m_index.broken;) {
            bool ignored = false, unknown = false;
            const auto id = vint(at, true, ignored);
            const auto size = id ? vint(at + id->second, false, unknown) : std::nullopt;
            const qint64 payload = size ? at + id->second + size->second : 0;
            if (!size || ++m_count > MatroskaElements::maxElements || depth > MatroskaElements::maxDepth
                || (unknown && id->first != segment) || (!unknown && qint64(size->first) > end - payload)) {
                m_index.broken = true;
                return;
            }
            const qint64 length = unknown ? end - payload : qint64(size->first);
            const quint32 element = quint32(id->first);
            if (masters.contains(element)) {
                elements(payload, payload + length, element, depth + 1);
            } else if (uids.contains(element)) {
                const auto value = m_source.read(payload, length);
                if (length < 1 || length > 8 || !value) {
                    m_index.broken = true;
                    return;
                }
                Uid found {element, payload, int(length), 0};
                for (char byte : *value)
                    found.value = (found.value << 8) | quint8(byte);
                m_index.uids.append(found);
                uid = found.value;
            } else if (element == codecId) {
                codec = text(payload, length);
            } else if (element == codecPrivate) {
                header = std::pair {payload, length};
            } else if (element == contentEncodings) {
                encoded = true;
            } else if (element == fileName) {
                name = text(payload, length);
            } else if (element == fileMimeType) {
                mime = text(payload, length);
            } else if (element == fileDescription) {
                described = true;
            }
            at = payload + length;
        }
        const bool script = codec == "S_TEXT/ASS" || codec == "S_TEXT/SSA" || codec == "S_ASS" || codec == "S_SSA";
        if (parent == trackEntry && script && header) {
            // A compressed header cannot be edited where it lies.
            if (encoded)
                m_index.broken = true;
            m_index.scriptHeaders.append(*header);
        }
        if (parent == attachedFile && MatroskaElements::isFont(QString::fromUtf8(name), mime)) {
            static const QStringList kinds {QStringLiteral("ttf"), QStringLiteral("otf"), QStringLiteral("ttc")};
            const QString suffix = QFileInfo(QString::fromUtf8(name)).suffix().toLower();
            const QString extension = kinds.contains(suffix) ? suffix : kinds.first();
            m_index.fonts.append({uid, QStringLiteral("font-%1.%2").arg(QString::number(m_index.fonts.size() + 1), extension),
                                  described});
        }
    }

    const ByteSource &m_source;
    Index m_index;
    int m_count = 0;
};

CleanError unfollowable(const QString &name)
{
    return CleanError(CleanError::Kind::verifyFailed,
                      {name, translated("mkv_index_unfollowable", "its tracks, chapters or attachments could not be followed")});
}

quint64 randomOfWidth(int width, quint64 old)
{
    const quint64 mask = width >= 8 ? ~quint64(0) : (quint64(1) << (8 * width)) - 1;
    quint64 value = 0;
    while (value == 0 || (value == old && mask > 1))
        value = QRandomGenerator::system()->generate64() & mask;
    return value;
}

QByteArray bigEndian(quint64 value, int width)
{
    QByteArray out(width, '\0');
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        out[i] = char(value & 0xff);
    return out;
}

} // namespace

QByteArray MatroskaScrub::clearedScriptHeader(const QByteArray &header, int &cleared)
{
    static const QByteArrayList keys {"title", "original script", "original translation", "original editing",
                                      "original timing", "script updated by", "update details"};
    QByteArray out = header;
    bool scriptInfo = false;
    for (qsizetype start = 0; start < out.size();) {
        qsizetype end = out.indexOf('\n', start);
        if (end < 0)
            end = out.size();
        qsizetype lineEnd = end > start && out.at(end - 1) == '\r' ? end - 1 : end;
        const QByteArray line = out.mid(start, lineEnd - start).trimmed();
        if (line.startsWith('['))
            scriptInfo = line.toLower() == "[script info]";
        const qsizetype colon = line.indexOf(':');
        if (scriptInfo && colon > 0 && keys.contains(line.left(colon).trimmed().toLower())) {
            out.replace(start, lineEnd - start, ';' + QByteArray(lineEnd - start - 1, ' '));
            ++cleared;
        }
        start = end + 1;
    }
    return out;
}

Expected<QList<MatroskaScrub::Font>> MatroskaScrub::fonts(const QString &path)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly))
        return CleanError(CleanError::Kind::cannotOpen, {name, file.errorString()});
    const Index index = Reader(ByteSource(file)).read();
    if (index.broken)
        return unfollowable(name);
    return index.fonts;
}

Expected<MatroskaScrub::Outcome> MatroskaScrub::scrub(const QString &stagedPath)
{
    return editStagedCopy(stagedPath, [](QIODevice &file, const QString &name) { return scrub(file, name); });
}

Expected<MatroskaScrub::Outcome> MatroskaScrub::scrub(QIODevice &file, const QString &name)
{
    const ByteSource source(file);
    const Index index = Reader(source).read();
    if (index.broken)
        return unfollowable(name);

    // A chapter that names a track follows the track's new UID, which must fit the reference.
    QHash<quint64, int> trackWidth;
    for (const Uid &uid : index.uids) {
        if (uid.id == trackUid)
            trackWidth.insert(uid.value, uid.width);
    }
    for (const Uid &uid : index.uids) {
        if (uid.id == chapterTrackUid && trackWidth.contains(uid.value))
            trackWidth[uid.value] = qMin(trackWidth.value(uid.value), uid.width);
    }
    QHash<quint64, quint64> renewedTrack;
    for (auto it = trackWidth.cbegin(); it != trackWidth.cend(); ++it)
        renewedTrack.insert(it.key(), randomOfWidth(it.value(), it.key()));

    QList<std::pair<qint64, QByteArray>> edits;
    Outcome outcome;
    for (const Uid &uid : index.uids) {
        quint64 value = randomOfWidth(uid.width, uid.value);
        if (uid.id == trackUid || (uid.id == chapterTrackUid && renewedTrack.contains(uid.value)))
            value = renewedTrack.value(uid.value);
        edits.append({uid.offset, bigEndian(value, uid.width)});
        ++outcome.uidsRenewed;
    }
    for (const auto &[offset, size] : index.scriptHeaders) {
        const auto header = source.read(offset, size);
        if (!header)
            return unfollowable(name);
        const QByteArray cleared = clearedScriptHeader(*header, outcome.headerLinesCleared);
        if (cleared != *header)
            edits.append({offset, cleared});
    }
    const auto notes = matroskaEncoderNotes(file);
    if (!notes)
        return unfollowable(name);
    for (const auto &note : *notes) {
        if (!note.cleared) {
            edits.append({note.offset, note.blank});
            ++outcome.encoderNotesCleared;
        }
    }
    for (const auto &[offset, bytes] : std::as_const(edits)) {
        if (!file.seek(offset) || file.write(bytes) != bytes.size())
            return CleanError(CleanError::Kind::writeFailed, {name, file.errorString()});
    }

    // Read again: the same elements where they were, with new values and no named lines.
    const Index after = Reader(source).read();
    bool left = after.broken || after.uids.size() != index.uids.size();
    for (qsizetype i = 0; !left && i < after.uids.size(); ++i)
        left = after.uids[i].offset != index.uids[i].offset || after.uids[i].value == index.uids[i].value;
    for (const auto &[offset, size] : after.scriptHeaders) {
        int found = 0;
        clearedScriptHeader(source.read(offset, size).value_or(QByteArray()), found);
        left = left || found > 0;
    }
    if (left)
        return unfollowable(name);
    return outcome;
}
