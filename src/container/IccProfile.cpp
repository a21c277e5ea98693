#include "IccProfile.h"

#include "ContainerBytes.h"

#include <QHash>

#include <algorithm>
#include <array>

using namespace ContainerBytes;

namespace {

constexpr qsizetype headerSize = 128;
constexpr quint32 maxTags = 4096;
// The description a scrubbed profile gets when its own names something personal.
const QString neutralName = QStringLiteral("Colour profile");

// Header bytes that say who or what made the profile: preferred CMM,
// creation date, platform, device maker and model, creator, profile ID.
constexpr std::array<std::pair<int, int>, 6> madeBy {{{4, 4}, {24, 12}, {40, 4}, {48, 8}, {80, 4}, {84, 16}}};

quint32 tag(const char (&name)[5]) { return be32(QByteArrayView(name, 4), 0); }

bool dropped(quint32 signature)
{
    // Device maker and model texts, copyright, the metadata dictionary, Apple's localised description.
    return signature == tag("dmnd") || signature == tag("dmdd") || signature == tag("cprt") || signature == tag("meta")
           || signature == tag("dscm");
}

struct Tag
{
    quint32 signature, offset, size;
};

struct Parsed
{
    QByteArrayView profile; // as far as its header says it goes
    QList<Tag> tags;
    std::optional<QString> damage;
};

Parsed parse(QByteArrayView bytes)
{
    Parsed parsed;
    if (bytes.size() > maxInput || bytes.size() < headerSize + 4 || be32(bytes, 36) != tag("acsp")) {
        parsed.damage = QStringLiteral("not a colour profile");
        return parsed;
    }
    const quint32 declared = be32(bytes, 0);
    if (declared < headerSize + 4 || declared > quint64(bytes.size())) {
        parsed.damage = QStringLiteral("profile size %1 does not match its %2 bytes").arg(QString::number(declared), QString::number(bytes.size()));
        return parsed;
    }
    parsed.profile = bytes.first(declared);
    const quint32 count = be32(bytes, headerSize);
    if (count > maxTags || !fits(parsed.profile, headerSize + 4, qsizetype(count) * 12)) {
        parsed.damage = QStringLiteral("tag table of %1 entries runs past the end").arg(count);
        return parsed;
    }
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype at = headerSize + 4 + qsizetype(i) * 12;
        const Tag entry {be32(bytes, at), be32(bytes, at + 4), be32(bytes, at + 8)};
        if (entry.offset < headerSize || !fits(parsed.profile, entry.offset, entry.size)) {
            parsed.damage = QStringLiteral("tag %1 runs past the end").arg(i);
            return parsed;
        }
        parsed.tags.append(entry);
    }
    return parsed;
}

std::optional<QString> descriptionIn(QByteArrayView data)
{
    if (data.size() >= 12 && be32(data, 0) == tag("desc")) {
        const quint32 length = be32(data, 8);
        if (!fits(data, 12, length))
            return std::nullopt;
        QByteArrayView text = data.sliced(12, length);
        if (const auto end = text.indexOf('\0'); end >= 0)
            text = text.first(end);
        return QString::fromLatin1(text);
    }
    if (data.size() >= 16 && be32(data, 0) == tag("mluc")) {
        const quint32 records = be32(data, 8), recordSize = be32(data, 12);
        std::optional<QString> first;
        for (quint32 i = 0; i < std::min<quint32>(records, 1000) && recordSize >= 12; ++i) {
            const qsizetype at = 16 + qsizetype(i) * recordSize;
            if (!fits(data, at, 12))
                break;
            const quint32 length = be32(data, at + 4), offset = be32(data, at + 8);
            if (!fits(data, offset, length))
                continue;
            QString text;
            for (quint32 c = 0; c + 1 < length; c += 2)
                text.append(QChar(be16(data, offset + c)));
            if (data.sliced(at, 4) == "enUS")
                return text;
            if (!first)
                first = text;
        }
        return first;
    }
    return std::nullopt;
}

QByteArray neutralDescription(bool version4)
{
    QByteArray out;
    if (version4) {
        out.append("mluc\0\0\0\0", 8);
        appendBe32(out, 1);
        appendBe32(out, 12);
        out.append("enUS");
        appendBe32(out, quint32(neutralName.size() * 2));
        appendBe32(out, 28);
        for (QChar c : neutralName)
            appendBe16(out, c.unicode());
    } else {
        out.append("desc\0\0\0\0", 8);
        appendBe32(out, quint32(neutralName.size() + 1));
        out.append(neutralName.toLatin1()).append('\0');
        // No Unicode or ScriptCode text: their counts stay zero.
        out.append(QByteArray(4 + 4 + 2 + 1 + 67, '\0'));
    }
    return out;
}

bool headerNamesMaker(QByteArrayView profile)
{
    return std::any_of(madeBy.begin(), madeBy.end(), [profile](auto field) {
        const auto bytes = profile.sliced(field.first, field.second);
        return std::any_of(bytes.begin(), bytes.end(), [](char c) { return c != 0; });
    });
}

QString tagName(quint32 signature)
{
    char name[4];
    qToBigEndian(signature, name);
    return QString::fromLatin1(name, 4);
}

} // namespace

bool isStandardIccName(const QString &description)
{
    static const QStringList names {
        "sRGB IEC61966-2.1", "sRGB IEC61966-2-1", "sRGB", "sRGB built-in", "sRGB2014", "Display P3",
        "Adobe RGB (1998)", "ProPhoto RGB", "ROMM RGB", "Generic RGB Profile", "Generic Gray Profile",
        "Generic Gray Gamma 2.2 Profile", "Apple RGB", "ColorMatch RGB", "Rec. 2020", "ITU-R BT.2020",
        "Linear sRGB", "scRGB", "Dot Gain 20%", "Gray Gamma 2.2", "Coated FOGRA39 (ISO 12647-2:2004)",
        "U.S. Web Coated (SWOP) v2", neutralName};
    return names.contains(description.trimmed());
}

std::optional<QString> iccDescription(QByteArrayView profile)
{
    const Parsed parsed = parse(profile);
    if (parsed.damage)
        return std::nullopt;
    for (const Tag &t : parsed.tags) {
        if (t.signature == tag("desc"))
            return descriptionIn(parsed.profile.sliced(t.offset, t.size));
    }
    return std::nullopt;
}

ContainerWalk walkIcc(QByteArrayView bytes)
{
    ContainerWalk walk;
    const Parsed parsed = parse(bytes);
    if (parsed.damage) {
        walk.damage = parsed.damage;
        return walk;
    }
    const bool header = headerNamesMaker(parsed.profile);
    walk.items.append({QStringLiteral("profile header"), "header", 0, headerSize,
                       header ? ItemRole::identifying : ItemRole::needed, KeptBecause::colourProfile,
                       header ? QStringLiteral("creation date, device or maker") : QString()});
    walk.items.append({QStringLiteral("tag table"), "tags", headerSize, 4 + parsed.tags.size() * 12, ItemRole::needed,
                       KeptBecause::structure, {}});
    for (const Tag &t : parsed.tags) {
        ContainerItem item {QStringLiteral("profile tag"), tagName(t.signature).toLatin1(), t.offset, t.size,
                            ItemRole::needed, KeptBecause::colourProfile, {}};
        if (dropped(t.signature)) {
            item.role = ItemRole::identifying;
        } else if (t.signature == tag("desc")) {
            item.detail = descriptionIn(parsed.profile.sliced(t.offset, t.size)).value_or(QString());
            if (!isStandardIccName(item.detail))
                item.role = ItemRole::identifying;
        }
        walk.items.append(item);
    }
    if (parsed.profile.size() < bytes.size()) {
        walk.items.append({QStringLiteral("after the profile's end"), "trailing", parsed.profile.size(),
                           bytes.size() - parsed.profile.size(), ItemRole::identifying, KeptBecause::structure, {}});
    }
    return walk;
}

Expected<QByteArray> cleanIcc(QByteArrayView bytes)
{
    const Parsed parsed = parse(bytes);
    if (parsed.damage)
        return refused("icc");
    QList<Tag> kept;
    for (const Tag &t : parsed.tags) {
        if (!dropped(t.signature))
            kept.append(t);
    }

    QByteArray out(parsed.profile.first(headerSize).toByteArray());
    for (auto [at, length] : madeBy)
        std::fill_n(out.begin() + at, length, '\0');
    appendBe32(out, quint32(kept.size()));
    const qsizetype table = out.size();
    out.append(QByteArray(kept.size() * 12, '\0'));

    const bool version4 = uchar(parsed.profile[8]) >= 4;
    // Tags that shared their data in the original share it here too.
    QHash<quint64, quint32> placed;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const Tag &t = kept[i];
        QByteArrayView data = parsed.profile.sliced(t.offset, t.size);
        QByteArray replaced;
        if (t.signature == tag("desc") && !isStandardIccName(descriptionIn(data).value_or(QString()))) {
            replaced = neutralDescription(version4);
            data = replaced;
        }
        const quint64 key = replaced.isEmpty() ? (quint64(t.offset) << 32 | t.size) : ~quint64(0) - quint64(i);
        quint32 offset = placed.value(key, 0);
        if (offset == 0) {
            offset = quint32(out.size());
            out.append(data.data(), data.size());
            out.append(QByteArray((4 - out.size() % 4) % 4, '\0'));
            placed.insert(key, offset);
        }
        char *entry = out.data() + table + i * 12;
        qToBigEndian(t.signature, entry);
        qToBigEndian(offset, entry + 4);
        qToBigEndian(quint32(data.size()), entry + 8);
    }
    qToBigEndian(quint32(out.size()), out.data());
    return out;
}
