#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Reads big-endian fields from bytes held in memory. A read past the end
// yields zeros and leaves the cursor failed for good, so a parser can read
// a whole record and check once.
class ByteCursor
{
public:
    explicit ByteCursor(QByteArrayView bytes, qint64 position = 0) : m_bytes(bytes), m_position(position) { }

    bool ok() const { return m_ok; }
    qint64 position() const { return m_position; }
    qint64 remaining() const { return m_ok ? m_bytes.size() - m_position : 0; }
    bool atEnd() const { return remaining() <= 0; }

    quint8 u8() { return quint8(number(1)); }
    quint16 u16() { return quint16(number(2)); }
    quint32 u32() { return quint32(number(4)); }
    quint64 u64() { return number(8); }
    // An unsigned field of 0 to 8 bytes; 0 bytes reads as 0.
    quint64 number(int width);
    QByteArray bytes(qint64 length);
    // Up to the next NUL, which is passed over; a string that runs to the end fails.
    QByteArray cString();
    void skip(qint64 length);

private:
    bool take(qint64 length);

    QByteArrayView m_bytes;
    qint64 m_position = 0;
    bool m_ok = true;
};
