#include "HeifFixture.h"

#include <Fixtures.h>

#include <QtEndian>

namespace HeifFixture {

namespace {

struct Box
{
    QByteArray type;
    qsizetype offset = 0, size = 0; // 32-bit sizes only: the tools' own files use nothing else
};

quint32 be(const QByteArray &bytes, qsizetype at, int width)
{
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

QByteArray field(quint64 value, int width)
{
    QByteArray out;
    for (int i = width - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
    return out;
}

using Fixtures::box;

QList<Box> children(const QByteArray &bytes, qsizetype begin, qsizetype end)
{
    QList<Box> out;
    while (begin + 8 <= end) {
        const qsizetype size = be(bytes, begin, 4);
        if (size < 8 || begin + size > end)
            qFatal("fixture: unexpected box layout at %lld", qlonglong(begin));
        out.append({bytes.mid(begin + 4, 4), begin, size});
        begin += size;
    }
    return out;
}

Box only(const QList<Box> &boxes, const char *type)
{
    for (const auto &b : boxes) {
        if (b.type == type)
            return b;
    }
    qFatal("fixture: no %s box", type);
}

// The item property box with one more ipma entry: `id` takes the first property.
QByteArray withAssociation(const QByteArray &file, const Box &iprp, quint32 id)
{
    QByteArray payload;
    for (const auto &part : children(file, iprp.offset + 8, iprp.offset + iprp.size)) {
        if (part.type != "ipma") {
            payload += file.mid(part.offset, part.size);
            continue;
        }
        const int version = file.at(part.offset + 8), flags = file.at(part.offset + 11);
        const QByteArray entry = field(id, version < 1 ? 2 : 4) + field(1, 1) + ((flags & 1) ? field(1, 2) : field(1, 1));
        payload += box("ipma", file.mid(part.offset + 8, 4) + field(be(file, part.offset + 12, 4) + 1, 4)
                                   + file.mid(part.offset + 16, part.size - 16) + entry);
    }
    return box("iprp", payload);
}

} // namespace

QByteArray exifWithArtist(const QByteArray &artist)
{
    const QByteArray text = artist + '\0';
    return QByteArray("MM\0\x2a", 4) + field(8, 4) + field(1, 2) + field(0x013b, 2) + field(2, 2) + field(text.size(), 4)
        + field(26, 4) + field(0, 4) + text;
}

quint32 thumbnailId(const QByteArray &file)
{
    const Box meta = only(children(file, 0, file.size()), "meta");
    for (const auto &b : children(file, meta.offset + 12, meta.offset + meta.size)) {
        if (b.type != "iref")
            continue;
        const int width = file.at(b.offset + 8) == 0 ? 2 : 4;
        for (const auto &reference : children(file, b.offset + 12, b.offset + b.size)) {
            if (reference.type == "thmb")
                return be(file, reference.offset + 8, width);
        }
    }
    return 0;
}

QByteArray addDescription(const QByteArray &file, quint32 described, const QByteArray &type, const QByteArray &data,
                          bool inIdat)
{
    const Box meta = only(children(file, 0, file.size()), "meta");
    const QList<Box> parts = children(file, meta.offset + 12, meta.offset + meta.size);
    const Box iinf = only(parts, "iinf"), iloc = only(parts, "iloc");
    if (file.at(iinf.offset + 8) != 0 || file.at(iloc.offset + 8) != 1)
        qFatal("fixture: expected iinf version 0 and iloc version 1");

    quint32 newId = 0;
    for (const auto &entry : children(file, iinf.offset + 14, iinf.offset + iinf.size))
        newId = qMax(newId, be(file, entry.offset + 12, 2) + 1);
    QByteArray infeBody = field(0x02000000, 4) + field(newId, 2) + field(0, 2) + type + QByteArray(1, '\0');
    if (type == "mime")
        infeBody += QByteArray("application/rdf+xml", 20);
    const QByteArray newIinf = box("iinf", file.mid(iinf.offset + 8, 4) + field(be(file, iinf.offset + 12, 2) + 1, 2)
                                               + file.mid(iinf.offset + 14, iinf.size - 14) + box("infe", infeBody));

    QByteArray idatPayload;
    qint64 idatOffset = 0;
    for (const auto &b : parts) {
        if (b.type == "idat") {
            idatPayload = file.mid(b.offset + 8, b.size - 8);
            idatOffset = idatPayload.size();
        }
    }
    if (inIdat)
        idatPayload += data;

    QByteArray refs;
    QByteArray irefHead = field(0, 4);
    for (const auto &b : parts) {
        if (b.type == "iref") {
            irefHead = file.mid(b.offset + 8, 4);
            refs = file.mid(b.offset + 12, b.size - 12);
        }
    }
    const int idWidth = irefHead.at(0) == 0 ? 2 : 4;
    refs += box("cdsc", field(newId, idWidth) + field(1, 2) + field(described, idWidth));

    // The iloc entries, rewritten once the shift of everything behind the meta box is known.
    const int offsetSize = quint8(file.at(iloc.offset + 12)) >> 4, lengthSize = file.at(iloc.offset + 12) & 15;
    const int baseSize = quint8(file.at(iloc.offset + 13)) >> 4, indexSize = file.at(iloc.offset + 13) & 15;
    const auto ilocWith = [&](qint64 shift, quint64 newOffset) {
        QByteArray out = file.mid(iloc.offset + 8, 6) + field(be(file, iloc.offset + 14, 2) + 1, 2);
        qsizetype at = iloc.offset + 16;
        for (quint32 n = be(file, iloc.offset + 14, 2); n > 0; --n) {
            const int method = be(file, at + 2, 2) & 15;
            out += file.mid(at, 6);
            const quint64 base = baseSize ? be(file, at + 6, baseSize) : 0;
            out += field(base ? base + (method == 0 ? shift : 0) : 0, baseSize);
            at += 6 + baseSize;
            const int extents = be(file, at, 2);
            out += field(extents, 2);
            at += 2;
            for (int e = 0; e < extents; ++e) {
                const quint64 offset = be(file, at + indexSize, offsetSize);
                out += file.mid(at, indexSize) + field(offset + (method == 0 && base == 0 ? shift : 0), offsetSize);
                out += file.mid(at + indexSize + offsetSize, lengthSize);
                at += indexSize + offsetSize + lengthSize;
            }
        }
        out += field(newId, 2) + field(inIdat ? 1 : 0, 2) + field(0, 2) + QByteArray(baseSize, '\0') + field(1, 2)
            + QByteArray(indexSize, '\0') + field(newOffset, offsetSize) + field(data.size(), lengthSize);
        return box("iloc", out);
    };

    const auto metaWith = [&](qint64 shift, quint64 newOffset) {
        QByteArray payload = file.mid(meta.offset + 8, 4);
        bool hadIref = false;
        for (const auto &b : parts) {
            if (b.type == "iinf")
                payload += newIinf;
            else if (b.type == "iloc")
                payload += ilocWith(shift, newOffset);
            else if (b.type == "idat")
                payload += box("idat", idatPayload);
            else if (b.type == "iprp" && inIdat)
                payload += withAssociation(file, b, newId);
            else if (b.type == "iref")
                hadIref = true, payload += box("iref", irefHead + refs);
            else
                payload += file.mid(b.offset, b.size);
        }
        if (!hadIref)
            payload += box("iref", irefHead + refs);
        if (inIdat && idatOffset == 0 && idatPayload == data)
            payload += box("idat", idatPayload);
        return box("meta", payload);
    };
    const qint64 shift = metaWith(0, 0).size() - meta.size;
    const quint64 newOffset = inIdat ? idatOffset : file.size() + shift + 8;
    const QByteArray newMeta = metaWith(shift, newOffset);
    QByteArray out = file.left(meta.offset) + newMeta + file.mid(meta.offset + meta.size);
    if (!inIdat)
        out += box("mdat", data);
    return out;
}

QString make(const QString &directory, const QString &name)
{
    const QString source = directory + QStringLiteral("/source.png");
    const QString path = directory + u'/' + name;
    Fixtures::writeImage(source, "PNG", QSize(96, 64));
    Fixtures::run(QStringLiteral("heif-enc"), {QStringLiteral("-t"), QStringLiteral("32"), QStringLiteral("-o"), path, source});
    Fixtures::run(QStringLiteral("exiftool"),
                  {QStringLiteral("-overwrite_original"), QStringLiteral("-Artist=") + QLatin1String(Fixtures::author),
                   QStringLiteral("-SerialNumber=") + QLatin1String(Fixtures::serial),
                   QStringLiteral("-XMP-dc:Creator=") + QLatin1String(Fixtures::creator),
                   QStringLiteral("-GPSLatitude=48.1"), QStringLiteral("-GPSLatitudeRef=N"), path});
    return path;
}

QString makeWithThumbnailItems(const QString &directory)
{
    const QString path = make(directory);
    QByteArray bytes = Fixtures::readAll(path);
    const quint32 thumbnail = thumbnailId(bytes);
    if (thumbnail == 0)
        qFatal("fixture: heif-enc wrote no thumbnail");
    bytes = addDescription(bytes, thumbnail, "Exif", field(0, 4) + exifWithArtist(thumbnailMark), false);
    bytes = addDescription(bytes, thumbnail, "mime",
                           QByteArray("<x:xmpmeta xmlns:x='adobe:ns:meta/'>") + thumbnailXmpMark + "</x:xmpmeta>", true);
    Fixtures::writeAll(path, bytes);
    return path;
}

} // namespace HeifFixture
