#pragma once

#include <Failure.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>

#include <variant>

// Bounds and byte-order helpers shared by the container walkers and writers.
// Readers take an offset the caller has already checked against the size.
namespace ContainerBytes {

// Larger inputs are refused outright: no photo comes near, and a hostile
// length field cannot make us allocate more than this.
inline constexpr qsizetype maxInput = qsizetype(1) << 30;
// A walk stops, damaged, past this many pieces.
inline constexpr qsizetype maxPieces = 100000;

inline bool fits(QByteArrayView bytes, qsizetype at, qsizetype length)
{
    return at >= 0 && length >= 0 && at <= bytes.size() && length <= bytes.size() - at;
}

inline quint16 be16(QByteArrayView bytes, qsizetype at) { return qFromBigEndian<quint16>(bytes.data() + at); }
inline quint32 be32(QByteArrayView bytes, qsizetype at) { return qFromBigEndian<quint32>(bytes.data() + at); }
inline quint32 le32(QByteArrayView bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.data() + at); }
inline quint32 le24(QByteArrayView bytes, qsizetype at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data() + at);
    return p[0] | (p[1] << 8) | (quint32(p[2]) << 16);
}

inline void appendBe16(QByteArray &out, quint16 value)
{
    char buffer[2];
    qToBigEndian(value, buffer);
    out.append(buffer, 2);
}
inline void appendBe32(QByteArray &out, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    out.append(buffer, 4);
}
inline void appendLe32(QByteArray &out, quint32 value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    out.append(buffer, 4);
}

// Where a RIFF file of the given form ("WAVE", "WEBP") ends: 8 plus the
// length its header states. Otherwise, why not: `notTheForm` when the header
// is not that form's, or that the length does not fit the file.
inline std::variant<qsizetype, QString> riffEnd(QByteArrayView bytes, QByteArrayView form, const QString &notTheForm)
{
    if (bytes.size() > maxInput || bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.sliced(8, 4) != form)
        return notTheForm;
    const quint32 riff = le32(bytes, 4);
    if (riff < 4 || riff > quint64(bytes.size() - 8))
        return QStringLiteral("RIFF length %1 does not match the file").arg(riff);
    return 8 + qsizetype(riff);
}

// What a writer returns for a file it cannot follow: it is refused whole.
// The file's name is not known here; the caller words the row.
inline Failure refused(const char *extension)
{
    return CleanError(CleanError::Kind::contentMismatch, {QString::fromLatin1(extension)});
}

} // namespace ContainerBytes
