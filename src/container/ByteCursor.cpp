#include "ByteCursor.h"

bool ByteCursor::take(qint64 length)
{
    if (!m_ok || length < 0 || length > m_bytes.size() - m_position) {
        m_ok = false;
        return false;
    }
    return true;
}

quint64 ByteCursor::number(int width)
{
    if (width < 0 || width > 8 || !take(width))
        return 0;
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | quint8(m_bytes[m_position + i]);
    m_position += width;
    return value;
}

QByteArray ByteCursor::bytes(qint64 length)
{
    if (!take(length))
        return {};
    QByteArray out = m_bytes.sliced(m_position, length).toByteArray();
    m_position += length;
    return out;
}

QByteArray ByteCursor::cString()
{
    if (!m_ok)
        return {};
    const qsizetype end = m_bytes.indexOf('\0', m_position);
    if (end < 0) {
        m_ok = false;
        return {};
    }
    QByteArray out = m_bytes.sliced(m_position, end - m_position).toByteArray();
    m_position = end + 1;
    return out;
}

void ByteCursor::skip(qint64 length)
{
    if (take(length))
        m_position += length;
}
