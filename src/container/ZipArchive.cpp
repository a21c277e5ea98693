#include "ZipArchive.h"

#include <QSet>
#include <QtEndian>

#include <zip.h>
#include <zlib.h>

#include <memory>

namespace ZipArchive {

namespace {

ZipReading failed(ZipReading::Problem problem, QString detail)
{
    ZipReading reading;
    reading.problem = problem;
    reading.detail = std::move(detail);
    return reading;
}

// Names are kept as they are, but one spelt twice, or one that climbs out of
// the archive, means two readers may see two different documents.
bool isSafeName(const QByteArray &name)
{
    if (name.isEmpty() || name.startsWith('/') || name.contains('\\') || name.contains('\0'))
        return false;
    for (const QByteArray &part : name.split('/'))
        if (part == "..")
            return false;
    return true;
}

struct ArchiveCloser
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};

quint16 le16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

void put16(QByteArray &out, quint16 value)
{
    char buffer[2];
    qToLittleEndian(value, buffer);
    out.append(buffer, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    out.append(buffer, 4);
}

std::optional<QByteArray> deflated(const QByteArray &data)
{
    z_stream stream {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return out;
}

bool isAscii(const QByteArray &name)
{
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

ZipReading read(QByteArrayView archive)
{
    using Problem = ZipReading::Problem;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(archive.data(), zip_uint64_t(archive.size()), 0, &error);
    if (!source)
        return failed(Problem::damaged, QStringLiteral("not a ZIP archive"));
    std::unique_ptr<zip_t, ArchiveCloser> zip(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        zip_source_free(source);
        const QString reason = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return failed(Problem::damaged, QStringLiteral("ZIP directory: %1").arg(reason));
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    if (count <= 0)
        return failed(Problem::damaged, QStringLiteral("no files in the ZIP archive"));
    if (count > largestEntryCount)
        return failed(Problem::tooLarge, QStringLiteral("%1 files").arg(count));

    // Sizes are checked from the directory before a byte is unpacked.
    QList<zip_stat_t> stats;
    qint64 total = 0;
    QSet<QByteArray> names;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(zip.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW, &stat) != 0
            || !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE))
            return failed(Problem::damaged, QStringLiteral("entry %1").arg(i));
        const QByteArray name(stat.name);
        if (!isSafeName(name) || names.contains(name))
            return failed(Problem::damaged, QStringLiteral("entry name %1").arg(QString::fromUtf8(name)));
        names.insert(name);
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return failed(Problem::damaged, QStringLiteral("%1 is encrypted").arg(QString::fromUtf8(name)));
        if (!(stat.valid & ZIP_STAT_COMP_METHOD)
            || (stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE))
            return failed(Problem::damaged, QStringLiteral("%1: compression method").arg(QString::fromUtf8(name)));
        if (stat.size > zip_uint64_t(largestEntry))
            return failed(Problem::tooLarge, QString::fromUtf8(name));
        total += qint64(stat.size);
        if (total > largestTotal || (total > (qint64(64) << 20) && total / largestRatio > archive.size()))
            return failed(Problem::tooLarge, QStringLiteral("%1 bytes unpacked").arg(total));
        stats.append(stat);
    }

    ZipReading reading;
    for (const zip_stat_t &stat : std::as_const(stats)) {
        ZipEntry entry;
        entry.name = QByteArray(stat.name);
        entry.stored = stat.comp_method == ZIP_CM_STORE;
        entry.data.resize(qsizetype(stat.size));
        zip_file_t *file = zip_fopen_index(zip.get(), stat.index, 0);
        if (!file)
            return failed(Problem::damaged, QString::fromUtf8(entry.name));
        const zip_int64_t got = zip_fread(file, entry.data.data(), stat.size);
        // Reading to the end is what makes libzip check the CRC.
        char more;
        const zip_int64_t beyond = zip_fread(file, &more, 1);
        const int closed = zip_fclose(file);
        if (got != zip_int64_t(stat.size) || beyond != 0 || closed != 0)
            return failed(Problem::damaged, QStringLiteral("%1 does not unpack").arg(QString::fromUtf8(entry.name)));
        reading.entries.append(std::move(entry));
    }
    return reading;
}

ZipHeaders headers(QByteArrayView archive)
{
    ZipHeaders facts;
    const qsizetype size = archive.size();
    qsizetype end = -1;
    for (qsizetype at = size - 22; at >= 0 && at >= size - 22 - 0xFFFF; --at) {
        if (le32(archive, at) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end < 0) {
        facts.damage = QStringLiteral("no ZIP directory");
        return facts;
    }
    const quint16 count = le16(archive, end + 10);
    const quint32 directorySize = le32(archive, end + 12);
    const quint32 directoryStart = le32(archive, end + 16);
    facts.archiveCommentBytes = le16(archive, end + 20);
    if (count == 0xFFFF || directoryStart == 0xFFFFFFFF || qint64(directoryStart) + directorySize > end) {
        facts.damage = QStringLiteral("ZIP directory out of bounds");
        return facts;
    }
    qsizetype at = directoryStart;
    for (int i = 0; i < count; ++i) {
        if (at + 46 > end || le32(archive, at) != 0x02014b50) {
            facts.damage = QStringLiteral("ZIP directory entry %1").arg(i);
            return facts;
        }
        const quint16 nameBytes = le16(archive, at + 28), extraBytes = le16(archive, at + 30);
        const quint16 commentBytes = le16(archive, at + 32);
        const quint32 local = le32(archive, at + 42);
        if (at + 46 + nameBytes + extraBytes + commentBytes > end || qint64(local) + 30 > directoryStart
            || le32(archive, local) != 0x04034b50) {
            facts.damage = QStringLiteral("ZIP directory entry %1").arg(i);
            return facts;
        }
        ZipHeaderFacts entry;
        entry.name = archive.sliced(at + 46, nameBytes).toByteArray();
        entry.dosTime = le16(archive, at + 12);
        entry.dosDate = le16(archive, at + 14);
        entry.extraBytes = quint32(extraBytes) + le16(archive, local + 28);
        entry.commentBytes = commentBytes;
        facts.entries.append(entry);
        at += 46 + nameBytes + extraBytes + commentBytes;
    }
    return facts;
}

QByteArray write(const QList<ZipEntry> &entries)
{
    QByteArray out;
    QByteArray directory;
    for (const ZipEntry &entry : entries) {
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(entry.data.constData()),
                                          uInt(entry.data.size())));
        std::optional<QByteArray> packed;
        if (!entry.stored && !entry.data.isEmpty())
            packed = deflated(entry.data);
        const QByteArray &body = packed ? *packed : entry.data;
        const quint16 method = packed ? 8 : 0;
        const quint16 flags = isAscii(entry.name) ? 0 : 0x0800; // names in UTF-8
        const quint32 offset = quint32(out.size());

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, flags);
        put16(out, method);
        put16(out, fixedDosTime);
        put16(out, fixedDosDate);
        put32(out, crc);
        put32(out, quint32(body.size()));
        put32(out, quint32(entry.data.size()));
        put16(out, quint16(entry.name.size()));
        put16(out, 0);
        out.append(entry.name);
        out.append(body);

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, flags);
        put16(directory, method);
        put16(directory, fixedDosTime);
        put16(directory, fixedDosDate);
        put32(directory, crc);
        put32(directory, quint32(body.size()));
        put32(directory, quint32(entry.data.size()));
        put16(directory, quint16(entry.name.size()));
        put16(directory, 0); // extra
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory.append(entry.name);
    }
    const quint32 directoryStart = quint32(out.size());
    out.append(directory);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryStart);
    put16(out, 0);
    return out;
}

} // namespace ZipArchive
