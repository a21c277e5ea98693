#include "Mp4SampleTable.h"

#include "ByteCursor.h"

#include <algorithm>

namespace {

std::optional<QList<qint64>> chunkOffsets(QByteArrayView payload, bool wide)
{
    ByteCursor cursor(payload);
    cursor.skip(4);
    const quint32 count = cursor.u32();
    if (!cursor.ok() || qint64(count) * (wide ? 8 : 4) > cursor.remaining())
        return std::nullopt;
    QList<qint64> offsets;
    offsets.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        const quint64 offset = wide ? cursor.u64() : cursor.u32();
        if (offset > quint64(std::numeric_limits<qint64>::max() / 2))
            return std::nullopt;
        offsets.append(qint64(offset));
    }
    return offsets;
}

std::optional<QList<qint64>> sampleSizes(QByteArrayView payload, bool compact)
{
    ByteCursor cursor(payload);
    cursor.skip(4);
    QList<qint64> sizes;
    if (compact) {
        cursor.skip(3);
        const int field = cursor.u8();
        const quint32 count = cursor.u32();
        if (!cursor.ok() || (field != 4 && field != 8 && field != 16) || count > Mp4SampleTable::maxSamples
            || (qint64(count) * field + 7) / 8 > cursor.remaining())
            return std::nullopt;
        for (quint32 i = 0; i < count; ++i) {
            if (field == 4) {
                const quint8 pair = quint8(payload.at(cursor.position() + i / 2));
                sizes.append(i % 2 == 0 ? pair >> 4 : pair & 0x0f);
            } else {
                sizes.append(field == 8 ? quint8(payload.at(cursor.position() + i))
                                        : (quint8(payload.at(cursor.position() + 2 * i)) << 8)
                                              | quint8(payload.at(cursor.position() + 2 * i + 1)));
            }
        }
        return sizes;
    }
    const quint32 fixed = cursor.u32();
    const quint32 count = cursor.u32();
    if (!cursor.ok() || count > Mp4SampleTable::maxSamples || (fixed == 0 && qint64(count) * 4 > cursor.remaining()))
        return std::nullopt;
    sizes.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        sizes.append(fixed != 0 ? fixed : cursor.u32());
    return sizes;
}

} // namespace

std::optional<QList<Mp4SampleTable::Span>> Mp4SampleTable::samples(QByteArrayView offsets, bool wideOffsets,
                                                                   QByteArrayView chunks, QByteArrayView sizes,
                                                                   bool compactSizes)
{
    const auto chunkAt = chunkOffsets(offsets, wideOffsets);
    const auto sizeOf = sampleSizes(sizes, compactSizes);
    ByteCursor runs(chunks);
    runs.skip(4);
    const quint32 runCount = runs.u32();
    if (!chunkAt || !sizeOf || !runs.ok() || qint64(runCount) * 12 > runs.remaining())
        return std::nullopt;

    QList<Span> spans;
    qsizetype sample = 0;
    quint32 firstChunk = runs.u32(), perChunk = runs.u32();
    runs.skip(4);
    if (runCount == 0)
        return chunkAt->isEmpty() && sizeOf->isEmpty() ? std::optional(spans) : std::nullopt;
    if (firstChunk != 1)
        return std::nullopt;
    for (quint32 run = 0; run < runCount; ++run) {
        // A run lasts up to the chunk before the next run's first, the last one to the last chunk.
        quint32 nextFirst = quint32(chunkAt->size()) + 1, nextPerChunk = 0;
        if (run + 1 < runCount) {
            nextFirst = runs.u32();
            nextPerChunk = runs.u32();
            runs.skip(4);
            if (nextFirst <= firstChunk || nextFirst > quint32(chunkAt->size()) + 1)
                return std::nullopt;
        }
        for (quint32 chunk = firstChunk; chunk < nextFirst; ++chunk) {
            qint64 offset = chunkAt->at(chunk - 1);
            if (perChunk > sizeOf->size() - sample)
                return std::nullopt;
            for (quint32 i = 0; i < perChunk; ++i, ++sample) {
                spans.append({offset, sizeOf->at(sample)});
                offset += sizeOf->at(sample);
            }
        }
        firstChunk = nextFirst;
        perChunk = nextPerChunk;
    }
    return spans;
}

QList<Mp4SampleTable::Span> Mp4SampleTable::merged(QList<Span> spans)
{
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.offset < b.offset; });
    QList<Span> out;
    for (const Span &span : std::as_const(spans)) {
        if (span.length <= 0)
            continue;
        if (!out.isEmpty() && span.offset <= out.last().end())
            out.last().length = qMax(out.last().end(), span.end()) - out.last().offset;
        else
            out.append(span);
    }
    return out;
}

bool Mp4SampleTable::overlaps(const QList<Span> &sortedMerged, const Span &span)
{
    // The first kept span that ends after this one starts.
    const auto it = std::upper_bound(sortedMerged.begin(), sortedMerged.end(), span.offset,
                                     [](qint64 offset, const Span &kept) { return offset < kept.end(); });
    return it != sortedMerged.end() && it->offset < span.end() && span.length > 0;
}
