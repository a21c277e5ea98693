#pragma once

#include "BmffBox.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

class ByteSource;

// Lists the boxes that follow one another in a range of a file, or of bytes
// already read. Only headers are read, so a box of gigabytes costs nothing.
// Listing stops at the first box that does not fit its range and says so in
// `damage`; what came before it is returned.
class BmffBoxes
{
public:
    struct Listing
    {
        QList<BmffBox> boxes;
        std::optional<QString> damage;
    };

    static Listing inFile(const ByteSource &source, qint64 begin, qint64 end);
    // `bytes` sit at `offset` in the file; the boxes' offsets are the file's.
    static Listing inBytes(QByteArrayView bytes, qint64 offset);

    // The first box of that type, if any.
    static const BmffBox *find(const QList<BmffBox> &boxes, QByteArrayView type);

    // More boxes than any real file has on one level; past it, the rest is damage.
    static constexpr int maxBoxes = 100000;
};
