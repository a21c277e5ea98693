#pragma once

#include "MetadataTable.h"

#include <QByteArray>

// A metadata table kept small for as long as its row lives: serialised and
// compressed when the job that read it finishes, unpacked only when the log
// is opened. A camera photo's table is tens of kilobytes as strings and a
// few as packed bytes, which is what lets a list of 20,000 rows stay small.
class PackedMetadata
{
public:
    PackedMetadata() = default;
    static PackedMetadata pack(const MetadataTable &table);
    // Packed against another table of the same file: what the two share (the
    // names, most values of a cleaned file's after list) costs next to nothing.
    static PackedMetadata pack(const MetadataTable &table, const PackedMetadata &reference);

    MetadataTable unpack() const;
    qsizetype count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }

private:
    // The serialised table before compression; empty when it cannot be had.
    QByteArray raw() const;
    static PackedMetadata packRaw(const QByteArray &raw, qsizetype count, const QByteArray &dictionary);

    QByteArray m_bytes;
    // The reference's own bytes, shared with it, when packed against one.
    QByteArray m_reference;
    qsizetype m_count = 0;
};
