#include "PackedMetadata.h"

#include <QDataStream>
#include <QIODevice>

PackedMetadata PackedMetadata::pack(const MetadataTable &table)
{
    PackedMetadata packed;
    packed.m_count = table.size();
    if (table.isEmpty())
        return packed;
    QByteArray raw;
    {
        QDataStream out(&raw, QIODevice::WriteOnly);
        out << table;
    }
    packed.m_bytes = qCompress(raw, 6);
    return packed;
}

MetadataTable PackedMetadata::unpack() const
{
    MetadataTable table;
    if (m_bytes.isEmpty())
        return table;
    QDataStream in(qUncompress(m_bytes));
    in >> table;
    return table;
}
