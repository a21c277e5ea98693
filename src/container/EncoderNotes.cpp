#include "EncoderNotes.h"

#include "BmffBoxes.h"
#include "ByteSource.h"
#include "ContainerText.h"

#include <QtEndian>

namespace EncoderNotes {

namespace {

constexpr quint32 userDataUnregistered = 5;
// A unit or frame larger than this holds no encoder's note.
constexpr qint64 maxUnit = qint64(1) << 20;
// Enough for a picture's first NAL units in one read.
constexpr qint64 window = 512;
constexpr int maxNoteText = 160;

bool isSei(Codec codec, quint8 first)
{
    if (codec == Codec::avc)
        return (first & 0x1f) == 6;
    const int type = (first >> 1) & 0x3f;
    return type == 39 || type == 40; // prefix and suffix SEI
}

// H.264 puts every SEI of a picture before its first slice; HEVC may put
// some after them, so its pictures are followed to the end.
bool endsTheNotes(Codec codec, quint8 first)
{
    const int type = first & 0x1f;
    return codec == Codec::avc && type >= 1 && type <= 5;
}

// The words a person can read in a note, after its 16-byte UUID.
QByteArray readableText(QByteArrayView payload)
{
    QByteArray text;
    for (char byte : payload.sliced(qMin<qsizetype>(16, payload.size()))) {
        if (text.size() >= maxNoteText)
            break;
        if (byte >= 0x20 && byte < 0x7f)
            text.append(byte);
        else if (!text.isEmpty() && !text.endsWith(' '))
            text.append(' ');
    }
    text = text.trimmed();
    return text.isEmpty() ? payload.first(qMin<qsizetype>(16, payload.size())).toByteArray().toHex() : text;
}

// FFmpeg reads the build of an x264 older than 151 to make up for that
// build's faults while decoding, so such a note keeps its UUID and the
// words that name the build ("x264 - core 148"): how many bytes that is.
qsizetype keptForDecoders(QByteArrayView payload)
{
    constexpr QByteArrayView name = "x264 - core ";
    if (payload.size() <= 16 + name.size() || !payload.sliced(16).startsWith(name))
        return 0;
    qsizetype end = 16 + name.size();
    int build = 0;
    while (end < payload.size() && end < 16 + name.size() + 4 && payload[end] >= '0' && payload[end] <= '9')
        build = build * 10 + (payload[end++] - '0');
    return end > 16 + name.size() && build > 0 && build < 151 ? end : 0;
}

// The SEI messages of one unit (`unit` holds it as stored, header included,
// and starts at `offset` in the file): the payloads of its notes.
bool notesOfUnit(QByteArrayView unit, qint64 offset, int headerSize, QList<Note> &notes)
{
    // Emulation prevention: a 3 after two zeros is not the message's.
    QByteArray message;
    QList<qsizetype> storedAt;
    message.reserve(unit.size());
    storedAt.reserve(unit.size());
    int zeros = 0;
    for (qsizetype i = headerSize; i < unit.size(); ++i) {
        const quint8 byte = quint8(unit[i]);
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        message.append(char(byte));
        storedAt.append(i);
        zeros = byte == 0 ? zeros + 1 : 0;
    }

    const auto at = [&message](qsizetype i) { return quint8(message[i]); };
    const auto onlyStopBit = [&](qsizetype i) {
        if (at(i) != 0x80)
            return false;
        for (qsizetype j = i + 1; j < message.size(); ++j) {
            if (at(j) != 0)
                return false;
        }
        return true;
    };
    const auto number = [&](qsizetype &i, quint32 &value) {
        value = 0;
        while (i < message.size() && at(i) == 0xff) {
            value += 255;
            ++i;
        }
        if (i >= message.size())
            return false;
        value += at(i++);
        return true;
    };

    qsizetype i = 0;
    while (i < message.size() && !onlyStopBit(i)) {
        quint32 type = 0, size = 0;
        if (!number(i, type) || !number(i, size) || size > quint32(message.size() - i))
            return false;
        if (type == userDataUnregistered && size > 0) {
            const QByteArrayView payload = QByteArrayView(message).sliced(i, size);
            const qsizetype first = storedAt[i], last = storedAt[i + size - 1];
            // Spaces over every byte but zeros and emulation prevention, so
            // that the stored form and the message's sizes stay as they are.
            const qsizetype kept = keptForDecoders(payload);
            QByteArray blank(last - first + 1, ' ');
            for (qsizetype j = i; j < i + qsizetype(size); ++j) {
                if (at(j) == 0)
                    blank[storedAt[j] - first] = 0;
                for (qsizetype k = (j > i ? storedAt[j - 1] + 1 : storedAt[j]); k < storedAt[j]; ++k)
                    blank[k - first] = 3;
            }
            if (kept > 0) {
                const qsizetype keptEnd = storedAt[i + kept - 1] + 1;
                blank.replace(0, keptEnd - first, unit.sliced(first, keptEnd - first).toByteArray());
            }
            const QByteArrayView rest = payload.sliced(kept);
            const bool cleared = std::all_of(rest.begin(), rest.end(), [](char c) { return c == ' ' || c == 0; });
            notes.append({"SEI", offset + first, blank, cleared ? QByteArray() : readableText(payload),
                          payload.sliced(16, kept > 0 ? kept - 16 : 0).toByteArray(), cleared});
        }
        i += size;
    }
    return true;
}

struct Configuration
{
    Codec codec;
    QByteArrayView record; // the avcC or hvcC payload
    qint64 offset = 0;     // where it starts in the sample entry's payload
};

std::optional<Configuration> configurationOf(QByteArrayView type, QByteArrayView payload)
{
    Codec codec;
    QByteArrayView name;
    if (type == "avc1" || type == "avc3") {
        codec = Codec::avc, name = "avcC";
    } else if (type == "hvc1" || type == "hev1") {
        codec = Codec::hevc, name = "hvcC";
    } else {
        return std::nullopt;
    }
    // Eight bytes of sample entry and seventy of visual one before the boxes.
    constexpr qsizetype fixedFields = 78;
    if (payload.size() < fixedFields)
        return std::nullopt;
    const auto listing = BmffBoxes::inBytes(payload.sliced(fixedFields), fixedFields);
    const BmffBox *box = BmffBoxes::find(listing.boxes, name);
    if (!box)
        return std::nullopt;
    return Configuration {codec, payload.sliced(box->payloadOffset(), box->payloadSize()), box->payloadOffset()};
}

} // namespace

std::optional<StreamFormat> formatOfConfiguration(Codec codec, QByteArrayView record)
{
    // avcC keeps the length size in its fifth byte, hvcC in its twenty-second.
    const qsizetype at = codec == Codec::avc ? 4 : 21;
    if (record.size() <= at)
        return std::nullopt;
    const int lengthSize = (quint8(record[at]) & 3) + 1;
    if (lengthSize == 3)
        return std::nullopt;
    return StreamFormat {codec, lengthSize};
}

std::optional<QList<Note>> inConfiguration(Codec codec, QByteArrayView record, qint64 offset)
{
    QList<Note> notes;
    if (codec != Codec::hevc)
        return notes;
    // hvcC: 22 bytes of profile and sizes, then arrays of units by type.
    qsizetype at = 22;
    if (record.size() <= at)
        return std::nullopt;
    const auto u16 = [&record](qsizetype i) { return (quint8(record[i]) << 8) | quint8(record[i + 1]); };
    for (int arrays = quint8(record[at++]); arrays > 0; --arrays) {
        if (record.size() - at < 3)
            return std::nullopt;
        const quint8 kind = quint8(record[at]) & 0x3f;
        int units = u16(at + 1);
        at += 3;
        for (; units > 0; --units) {
            if (record.size() - at < 2 || record.size() - at - 2 < u16(at))
                return std::nullopt;
            const qsizetype size = u16(at);
            at += 2;
            if ((kind == 39 || kind == 40) && size >= 2 && !notesOfUnit(record.sliced(at, size), offset + at, 2, notes))
                return std::nullopt;
            at += size;
        }
    }
    return notes;
}

std::optional<StreamFormat> formatOfSampleEntry(QByteArrayView type, QByteArrayView payload)
{
    const auto configuration = configurationOf(type, payload);
    return configuration ? formatOfConfiguration(configuration->codec, configuration->record) : std::nullopt;
}

std::optional<QList<Note>> inSampleEntry(QByteArrayView type, QByteArrayView payload, qint64 offset)
{
    const auto configuration = configurationOf(type, payload);
    if (!configuration)
        return QList<Note> {};
    return inConfiguration(configuration->codec, configuration->record, offset + configuration->offset);
}

QList<Note> inAacFrame(QByteArrayView frame, qint64 offset)
{
    // Byte-aligned after the element's header: "Lavc", then the version.
    const qsizetype at = frame.indexOf("Lavc");
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (at < 0 || at + 4 >= frame.size() || !digit(frame[at + 4]))
        return {};
    qsizetype end = at + 4;
    while (end < frame.size() && (digit(frame[end]) || frame[end] == '.'))
        ++end;
    const QByteArray name = frame.sliced(at, end - at).toByteArray();
    return {Note {"FIL", offset + at, QByteArray(name.size(), ' '), name, {}, false}};
}

std::optional<QList<Note>> inVorbisHeaders(QByteArrayView codecPrivate, qint64 offset)
{
    // Three packets: a count less one, the first two sizes laced in 255s, then the packets.
    if (codecPrivate.size() < 1 || quint8(codecPrivate[0]) != 2)
        return std::nullopt;
    qsizetype at = 1;
    qint64 sizes[2] = {0, 0};
    for (qint64 &size : sizes) {
        for (quint8 lace = 255; lace == 255; size += lace) {
            if (at >= codecPrivate.size())
                return std::nullopt;
            lace = quint8(codecPrivate[at++]);
        }
    }
    if (sizes[0] + sizes[1] > codecPrivate.size() - at)
        return std::nullopt;
    const qsizetype headerAt = at + sizes[0];
    const QByteArrayView header = codecPrivate.sliced(headerAt, sizes[1]);
    // "\x03vorbis", the vendor, the comments each with its length, the framing bit.
    constexpr qsizetype bare = 16;
    const auto u32 = [&header](qsizetype i) { return qFromLittleEndian<quint32>(header.data() + i); };
    if (header.size() < bare || !header.startsWith("\x03vorbis") || u32(7) > quint32(header.size() - bare))
        return std::nullopt;
    const qsizetype vendorLength = u32(7);
    QByteArrayList words {header.sliced(11, vendorLength).toByteArray()};
    qsizetype next = 11 + vendorLength;
    const quint32 count = u32(next);
    next += 4;
    for (quint32 i = 0; i < count; ++i) {
        if (header.size() - next < 4 || u32(next) > quint32(header.size() - next - 4))
            return std::nullopt;
        words.append(header.sliced(next + 4, u32(next)).toByteArray());
        next += 4 + u32(next);
    }
    const bool cleared = count == 0 && words.first().trimmed().isEmpty();

    QByteArray blank(header.size(), ' ');
    blank.replace(0, 7, "\x03vorbis");
    qToLittleEndian(quint32(header.size() - bare), blank.data() + 7);
    qToLittleEndian(quint32(0), blank.data() + header.size() - 5);
    blank[header.size() - 1] = 1;
    words.removeAll(QByteArray());
    const QByteArray text = words.join("; ").left(maxNoteText);
    return QList<Note> {{"VorbisComment", offset + headerAt, blank, cleared ? QByteArray() : text, {}, cleared}};
}

std::optional<QList<Note>> inSamples(const ByteSource &source, const QList<Mp4SampleTable::Span> &samples,
                                     std::optional<StreamFormat> format, bool aac)
{
    QList<Note> notes;
    if (aac && !samples.isEmpty()) {
        // FFmpeg names itself in the first frame alone.
        const auto frame = source.read(samples.first().offset, qMin<qint64>(samples.first().length, maxUnit));
        if (!frame)
            return std::nullopt;
        notes += inAacFrame(*frame, samples.first().offset);
    }
    for (const auto &picture : format ? samples : QList<Mp4SampleTable::Span> {}) {
        const auto inThis = inPicture(source, picture.offset, picture.length, *format);
        if (!inThis)
            return std::nullopt;
        notes += *inThis;
    }
    return notes;
}

void Tally::add(const QList<Note> &notes)
{
    for (const auto &note : notes) {
        if (note.cleared && !note.kept.isEmpty() && !keptOne)
            keptOne = note;
        if (note.cleared)
            continue;
        if (!first)
            first = note;
        ++count;
    }
}

std::optional<ContainerItem> Tally::keptItem(const QString &place) const
{
    if (!keptOne)
        return std::nullopt;
    return ContainerItem {place, keptOne->kind, keptOne->offset, keptOne->blank.size(), ItemRole::content,
                          KeptBecause::pixels, QString::fromLatin1(keptOne->kept)};
}

std::optional<ContainerItem> Tally::item(const QString &place) const
{
    if (!first)
        return std::nullopt;
    QString detail = QString::fromLatin1(first->text);
    if (count > 1)
        detail = ContainerText::translated("video_notes_many", "%1, in %2 places").arg(detail, QString::number(count));
    return ContainerItem {place, first->kind, first->offset, first->blank.size(), ItemRole::identifying, KeptBecause::structure,
                          detail};
}

std::optional<QList<Note>> inPicture(const ByteSource &source, qint64 offset, qint64 length, StreamFormat format)
{
    QList<Note> notes;
    const int headerSize = format.codec == Codec::avc ? 1 : 2;
    // One read covers the picture's first units; a unit further on is read where it lies.
    QByteArray read;
    qint64 readAt = 0;
    const auto bytesAt = [&](qint64 at, qint64 count) -> std::optional<QByteArrayView> {
        if (at < readAt || at + count > readAt + read.size()) {
            auto fresh = source.read(offset + at, qMin(length - at, qMax(count, window)));
            if (!fresh || fresh->size() < count)
                return std::nullopt;
            read = std::move(*fresh);
            readAt = at;
        }
        return QByteArrayView(read).sliced(at - readAt, count);
    };

    for (qint64 at = 0; at < length;) {
        const auto head = bytesAt(at, format.lengthSize + headerSize);
        if (!head)
            return std::nullopt;
        qint64 size = 0;
        for (int i = 0; i < format.lengthSize; ++i)
            size = (size << 8) | quint8((*head)[i]);
        const qint64 unitAt = at + format.lengthSize;
        if (size < headerSize || size > length - unitAt)
            return std::nullopt;
        const quint8 first = quint8((*head)[format.lengthSize]);
        if (isSei(format.codec, first)) {
            if (size > maxUnit)
                return std::nullopt;
            const auto unit = bytesAt(unitAt, size);
            if (!unit || !notesOfUnit(*unit, offset + unitAt, headerSize, notes))
                return std::nullopt;
        } else if (endsTheNotes(format.codec, first)) {
            break;
        }
        at = unitAt + size;
    }
    return notes;
}

} // namespace EncoderNotes
