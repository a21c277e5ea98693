#pragma once

#include <QByteArray>

// One ISO-BMFF box as its header declares it. Offsets are in the file.
struct BmffBox
{
    QByteArray type;     // four characters; "uuid" boxes carry their own type in userType
    QByteArray userType; // 16 bytes for "uuid" boxes
    qint64 offset = 0;
    qint64 size = 0;     // header included; a size of 0 ("to the end") is resolved
    int headerSize = 8;  // 8, 16 with a 64-bit size, plus 16 for a uuid

    qint64 payloadOffset() const { return offset + headerSize; }
    qint64 payloadSize() const { return size - headerSize; }
    qint64 end() const { return offset + size; }
};
