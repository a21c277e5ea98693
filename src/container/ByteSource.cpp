#include "ByteSource.h"

#include <QIODevice>

ByteSource::ByteSource(QIODevice &device) : m_device(device), m_size(device.isOpen() ? device.size() : 0) { }

std::optional<QByteArray> ByteSource::read(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || length > maxRead || offset > m_size || length > m_size - offset)
        return std::nullopt;
    if (!m_device.seek(offset))
        return std::nullopt;
    QByteArray bytes = m_device.read(length);
    if (bytes.size() != length)
        return std::nullopt;
    return bytes;
}
