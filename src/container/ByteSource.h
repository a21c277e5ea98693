#pragma once

#include <QByteArray>

#include <optional>

class QIODevice;

// Random access to a file that may be far larger than memory. Every read
// is checked against the file's size first, and refused above a cap, so a
// size field a stranger wrote can neither reach past the end nor make us
// allocate gigabytes.
class ByteSource
{
public:
    // The device must be open and seekable (a QFile, or a QBuffer in tests).
    explicit ByteSource(QIODevice &device);

    qint64 size() const { return m_size; }

    // `length` bytes at `offset`, or nothing when they are not all in the
    // file or the length is over the cap.
    std::optional<QByteArray> read(qint64 offset, qint64 length) const;

    static constexpr qint64 maxRead = qint64(64) << 20;

private:
    QIODevice &m_device;
    qint64 m_size = 0;
};
