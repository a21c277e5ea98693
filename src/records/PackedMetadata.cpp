#include "PackedMetadata.h"

#include <QDataStream>
#include <QHash>
#include <QIODevice>
#include <QReadWriteLock>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include <zlib.h>

namespace {

// qCompress sets up a deflate stream per call: a quarter of a megabyte
// allocated, zeroed and handed back every time, whose page faults cost more
// than compressing a photo's table. Each thread keeps one stream instead.
class Deflater
{
public:
    Deflater() { m_ready = ::deflateInit(&m_stream, 6) == Z_OK; }
    ~Deflater()
    {
        if (m_ready)
            ::deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // The length, big endian, then the zlib stream, primed with `dictionary`
    // when there is one. Empty on failure.
    QByteArray compress(const QByteArray &raw, const QByteArray &dictionary)
    {
        if (!m_ready || raw.size() > std::numeric_limits<uInt>::max() || ::deflateReset(&m_stream) != Z_OK)
            return {};
        if (!dictionary.isEmpty()
            && ::deflateSetDictionary(&m_stream, reinterpret_cast<const Bytef *>(dictionary.constData()),
                                      uInt(std::min<qsizetype>(dictionary.size(), 32768))) != Z_OK) {
            return {};
        }
        const uLong bound = ::deflateBound(&m_stream, uLong(raw.size()));
        QByteArray out(qsizetype(4 + bound), Qt::Uninitialized);
        const quint32 size = quint32(raw.size());
        out[0] = char(size >> 24);
        out[1] = char(size >> 16);
        out[2] = char(size >> 8);
        out[3] = char(size);
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
        m_stream.avail_in = uInt(raw.size());
        m_stream.next_out = reinterpret_cast<Bytef *>(out.data() + 4);
        m_stream.avail_out = uInt(bound);
        if (::deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return {};
        // The bound is about twice what a table compresses to, and the row
        // keeps these bytes for as long as it lives: hand back only what was
        // written, not the bound's capacity.
        out.truncate(qsizetype(4 + m_stream.total_out));
        out.squeeze();
        return out;
    }

private:
    z_stream m_stream {};
    bool m_ready = false;
};

// What Deflater::compress made, given the same dictionary; empty when the
// bytes are not such a stream or do not inflate to the length they state.
QByteArray inflated(const QByteArray &packed, const QByteArray &dictionary)
{
    if (packed.size() < 4)
        return {};
    const auto *head = reinterpret_cast<const uchar *>(packed.constData());
    const quint32 size = quint32(head[0]) << 24 | quint32(head[1]) << 16 | quint32(head[2]) << 8 | quint32(head[3]);
    QByteArray raw(qsizetype(size), Qt::Uninitialized);
    z_stream stream {};
    if (::inflateInit(&stream) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData() + 4));
    stream.avail_in = uInt(packed.size() - 4);
    stream.next_out = reinterpret_cast<Bytef *>(raw.data());
    stream.avail_out = uInt(raw.size());
    int status = ::inflate(&stream, Z_FINISH);
    if (status == Z_NEED_DICT && !dictionary.isEmpty()
        && ::inflateSetDictionary(&stream, reinterpret_cast<const Bytef *>(dictionary.constData()),
                                  uInt(std::min<qsizetype>(dictionary.size(), 32768))) == Z_OK) {
        status = ::inflate(&stream, Z_FINISH);
    }
    const bool whole = status == Z_STREAM_END && stream.total_out == size;
    ::inflateEnd(&stream);
    return whole ? raw : QByteArray();
}

// Tag names repeat from row to row: a folder from one camera carries the same
// few dozen on every photo. The process keeps each name once and a row keeps
// its number, which is most of what is left of a table once it is compressed.
// A file may bring names of its own by the thousand; past the cap, names are
// kept in the row itself, so a hostile file cannot make this grow for good.
class TagNames
{
public:
    static constexpr quint32 cap = 1 << 16;

    // 1 + the name's number, or 0 when the name is not (and will not be) numbered.
    quint32 numberOf(const QString &name)
    {
        {
            const QReadLocker reading(&m_lock);
            if (const auto found = m_numbers.constFind(name); found != m_numbers.cend())
                return *found + 1;
            if (m_names.size() >= qsizetype(cap))
                return 0;
        }
        const QWriteLocker writing(&m_lock);
        if (const auto found = m_numbers.constFind(name); found != m_numbers.cend())
            return *found + 1;
        if (m_names.size() >= qsizetype(cap))
            return 0;
        m_names.append(name);
        m_numbers.insert(name, quint32(m_names.size() - 1));
        return quint32(m_names.size());
    }

    std::optional<QString> name(quint32 number) const
    {
        const QReadLocker reading(&m_lock);
        if (number == 0 || number > quint32(m_names.size()))
            return std::nullopt;
        return m_names.at(qsizetype(number - 1));
    }

private:
    mutable QReadWriteLock m_lock;
    QHash<QString, quint32> m_numbers;
    QList<QString> m_names;
};

TagNames &tagNames()
{
    static TagNames names;
    return names;
}

// Tag text is nearly all ASCII: as UTF-8 it is half the bytes of
// QDataStream's UTF-16, which halves what deflate has to go through. A table
// with text UTF-8 cannot carry (a lone surrogate) goes as QDataStream.
enum class Layout : char { dataStream = 0, utf8 = 1 };

void appendLength(QByteArray &out, qsizetype length)
{
    const quint32 value = quint32(length);
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

// A 32-bit word at `at`, which then moves past it.
bool readNumber(const QByteArray &in, qsizetype &at, qsizetype &number)
{
    quint32 value = 0;
    if (in.size() - at < qsizetype(sizeof value))
        return false;
    std::memcpy(&value, in.constData() + at, sizeof value);
    at += sizeof value;
    number = qsizetype(value);
    return true;
}

// A length, which must fit in what follows it.
bool readLength(const QByteArray &in, qsizetype &at, qsizetype &length)
{
    return readNumber(in, at, length) && length <= in.size() - at;
}

QByteArray serialised(const MetadataTable &table)
{
    const bool utf8 = std::all_of(table.keyValueBegin(), table.keyValueEnd(), [](const auto &entry) {
        return entry.first.isValidUtf16() && entry.second.isValidUtf16();
    });
    QByteArray raw(1, char(utf8 ? Layout::utf8 : Layout::dataStream));
    if (!utf8) {
        QByteArray streamed;
        {
            QDataStream out(&streamed, QIODevice::WriteOnly);
            out << table;
        }
        return raw + streamed;
    }
    appendLength(raw, table.size());
    const auto appendText = [&raw](const QString &text) {
        const QByteArray bytes = text.toUtf8();
        appendLength(raw, bytes.size());
        raw.append(bytes);
    };
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const quint32 number = tagNames().numberOf(it.key());
        appendLength(raw, number);
        if (number == 0)
            appendText(it.key());
        appendText(it.value());
    }
    return raw;
}

MetadataTable deserialised(const QByteArray &raw)
{
    MetadataTable table;
    if (raw.isEmpty())
        return table;
    if (Layout(raw.at(0)) == Layout::dataStream) {
        QDataStream in(raw.sliced(1));
        in >> table;
        return table;
    }
    qsizetype at = 1, count = 0;
    if (!readLength(raw, at, count))
        return table;
    table.reserve(std::min(count, raw.size() / 8));
    for (qsizetype i = 0; i < count; ++i) {
        qsizetype number = 0, keyLength = 0, valueLength = 0;
        if (!readNumber(raw, at, number))
            break;
        QString key;
        if (number > 0) {
            std::optional<QString> named = tagNames().name(quint32(number));
            if (!named)
                break;
            key = std::move(*named);
        } else {
            if (!readLength(raw, at, keyLength))
                break;
            key = QString::fromUtf8(raw.constData() + at, keyLength);
            at += keyLength;
        }
        if (!readLength(raw, at, valueLength))
            break;
        table.insert(std::move(key), QString::fromUtf8(raw.constData() + at, valueLength));
        at += valueLength;
    }
    return table;
}

} // namespace

PackedMetadata PackedMetadata::pack(const MetadataTable &table)
{
    return packRaw(table.isEmpty() ? QByteArray() : serialised(table), table.size(), {});
}

PackedMetadata PackedMetadata::pack(const MetadataTable &table, const PackedMetadata &reference)
{
    if (table.isEmpty() || !reference.m_reference.isEmpty())
        return pack(table);
    PackedMetadata packed = packRaw(serialised(table), table.size(), reference.raw());
    packed.m_reference = reference.m_bytes;
    return packed;
}

PackedMetadata PackedMetadata::packRaw(const QByteArray &raw, qsizetype count, const QByteArray &dictionary)
{
    PackedMetadata packed;
    packed.m_count = count;
    if (raw.isEmpty())
        return packed;
    thread_local Deflater deflater;
    packed.m_bytes = deflater.compress(raw, dictionary);
    if (packed.m_bytes.isEmpty() && !dictionary.isEmpty())
        packed.m_bytes = deflater.compress(raw, {});
    if (packed.m_bytes.isEmpty())
        packed.m_bytes = qCompress(raw, 6);
    return packed;
}

QByteArray PackedMetadata::raw() const
{
    if (m_bytes.isEmpty())
        return {};
    return inflated(m_bytes, m_reference.isEmpty() ? QByteArray() : inflated(m_reference, {}));
}

MetadataTable PackedMetadata::unpack() const
{
    return deserialised(raw());
}
