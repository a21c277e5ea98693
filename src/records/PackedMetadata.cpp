#include "PackedMetadata.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>

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

    // What qCompress gives, so that qUncompress reads it: the length, big
    // endian, then the zlib stream. Empty on failure.
    QByteArray compress(const QByteArray &raw)
    {
        if (!m_ready || raw.size() > std::numeric_limits<uInt>::max() || ::deflateReset(&m_stream) != Z_OK)
            return {};
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
        out.truncate(qsizetype(4 + m_stream.total_out));
        return out;
    }

private:
    z_stream m_stream {};
    bool m_ready = false;
};

// Tag text is nearly all ASCII: as UTF-8 it is half the bytes of
// QDataStream's UTF-16, which halves what deflate has to go through. A table
// with text UTF-8 cannot carry (a lone surrogate) goes as QDataStream.
enum class Layout : char { dataStream = 0, utf8 = 1 };

void appendLength(QByteArray &out, qsizetype length)
{
    const quint32 value = quint32(length);
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

bool readLength(const QByteArray &in, qsizetype &at, qsizetype &length)
{
    quint32 value = 0;
    if (in.size() - at < qsizetype(sizeof value))
        return false;
    std::memcpy(&value, in.constData() + at, sizeof value);
    at += sizeof value;
    length = qsizetype(value);
    return length <= in.size() - at;
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
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        for (const QString *text : {&it.key(), &it.value()}) {
            const QByteArray bytes = text->toUtf8();
            appendLength(raw, bytes.size());
            raw.append(bytes);
        }
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
        qsizetype keyLength = 0, valueLength = 0;
        if (!readLength(raw, at, keyLength))
            break;
        QString key = QString::fromUtf8(raw.constData() + at, keyLength);
        at += keyLength;
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
    PackedMetadata packed;
    packed.m_count = table.size();
    if (table.isEmpty())
        return packed;
    const QByteArray raw = serialised(table);
    thread_local Deflater deflater;
    packed.m_bytes = deflater.compress(raw);
    if (packed.m_bytes.isEmpty())
        packed.m_bytes = qCompress(raw, 6);
    return packed;
}

MetadataTable PackedMetadata::unpack() const
{
    if (m_bytes.isEmpty())
        return {};
    return deserialised(qUncompress(m_bytes));
}
