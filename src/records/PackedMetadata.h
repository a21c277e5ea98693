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

    MetadataTable unpack() const;
    qsizetype count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }

private:
    QByteArray m_bytes;
    qsizetype m_count = 0;
};
