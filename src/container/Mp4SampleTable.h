#pragma once

#include <QByteArrayView>
#include <QList>

#include <optional>

// Where a track's samples lie in the file, from its sample table: chunk
// offsets (stco or co64), samples per chunk (stsc) and sample sizes (stsz or
// stz2). Every count is checked against the bytes that hold it, so a table a
// stranger wrote cannot make us loop or allocate past what it really lists.
class Mp4SampleTable
{
public:
    struct Span
    {
        qint64 offset = 0;
        qint64 length = 0;
        qint64 end() const { return offset + length; }
    };

    // The payloads of the four boxes (after their headers); `wideOffsets`
    // for co64, `compactSizes` for stz2. Nothing when the tables do not agree
    // or list more samples than any real track has.
    static std::optional<QList<Span>> samples(QByteArrayView offsets, bool wideOffsets, QByteArrayView chunks,
                                              QByteArrayView sizes, bool compactSizes);

    // Sorted, with touching and overlapping spans joined.
    static QList<Span> merged(QList<Span> spans);
    static bool overlaps(const QList<Span> &sortedMerged, const Span &span);

    static constexpr qint64 maxSamples = qint64(1) << 22;
};
