#include "ResidueCheck.h"

#include "NativeCleaner.h"
#include "OfficeCleaner.h"
#include "TagFamilies.h"
#include "TagRoles.h"

#include <MatroskaElements.h>
#include <OfficePackage.h>
#include <Mp4Tracks.h>

#include <QFile>
#include <QHash>

namespace {

ContainerItem tagItem(const QString &key, const QString &value, TagRole role)
{
    const qsizetype colon = key.indexOf(u':');
    ContainerItem item;
    item.place = colon < 0 ? QString() : key.left(colon);
    item.type = (colon < 0 ? key : key.mid(colon + 1)).toUtf8();
    item.role = role.role;
    item.keptBecause = role.keptBecause;
    item.detail = value;
    return item;
}

// Kept for a decoder, yet telling: with what the picture was made.
bool isWorthSaying(const QByteArray &name)
{
    return name == "Make" || name == "Model" || name == "Software" || name == "LensModel" || name == "SerialNumber"
        || name == "ShutterCount" || name == "AttachedFileName";
}

// Kept tags worth a line of the log: the orientation, one line for a colour
// profile (named by its description), content, and what a decoder needs that
// still tells with what the file was made. Coding parameters and framing are
// kept without comment.
void listKept(QList<ContainerItem> &kept, QHash<int, ContainerItem> &byReason, const ContainerItem &tag)
{
    switch (tag.keptBecause) {
    case KeptBecause::pixels:
    case KeptBecause::media:
        if (isWorthSaying(tag.type))
            break;
        [[fallthrough]];
    case KeptBecause::structure:
    case KeptBecause::colourSpace:
    case KeptBecause::animation:
    case KeptBecause::transparency:
        if (tag.role != ItemRole::content)
            return;
        break;
    case KeptBecause::orientation:
    case KeptBecause::colourProfile:
    case KeptBecause::content:
    case KeptBecause::chosen:
        break;
    }
    if (tag.keptBecause == KeptBecause::colourProfile) {
        auto it = byReason.find(int(KeptBecause::colourProfile));
        if (it == byReason.end()) {
            ContainerItem profile = tag;
            profile.type = "ICC_Profile";
            profile.detail.clear();
            it = byReason.insert(int(KeptBecause::colourProfile), profile);
        }
        if (tag.type == "ProfileDescription")
            it->detail = tag.detail;
        return;
    }
    kept.append(tag);
}

// Identifying, and of a family the person keeps: listed, never residue. A
// block that only carries tags (no family) goes unsaid: its tags are judged
// and listed one by one.
bool keptByChoice(QList<ContainerItem> &kept, ContainerItem item, std::optional<TagFamily> family,
                  const KeptFamilies &families)
{
    if (families.removesEverything())
        return false;
    if (family && !families.keeps(*family))
        return false;
    item.role = ItemRole::content;
    item.keptBecause = KeptBecause::chosen;
    if (family)
        kept.append(item);
    return true;
}

} // namespace

std::optional<ContainerWalk> walkContainer(SupportedFormat format, const QString &path)
{
    if (auto walked = NativeCleaner::walk(format, path))
        return walked;
    if (OfficePackage::handles(format))
        return OfficeCleaner::walk(format, path);
    if (format != SupportedFormat::mp4 && format != SupportedFormat::mov && format != SupportedFormat::m4a
        && format != SupportedFormat::threegp && format != SupportedFormat::mkv)
        return std::nullopt;
    // Movies are walked where they lie: only their indexes are read.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ContainerWalk unreadable;
        unreadable.damage = QStringLiteral("unreadable");
        return unreadable;
    }
    return format == SupportedFormat::mkv ? walkMatroska(file) : walkMovie(file);
}

ResidueReport checkResidue(SupportedFormat format, const QString &path, const MetadataTable &tags,
                           const QList<QByteArray> &attributes, const KeptFamilies &kept)
{
    return checkResidue(format, walkContainer(format, path), tags, attributes, kept);
}

ResidueReport checkResidue(SupportedFormat format, const std::optional<ContainerWalk> &walk, const MetadataTable &tags,
                           const QList<QByteArray> &attributes, const KeptFamilies &kept)
{
    ResidueReport report;
    QHash<int, ContainerItem> byReason;
    for (auto it = tags.cbegin(); it != tags.cend(); ++it) {
        if (isOutsideTheFile(it.key()) || isToolRemark(it.key()))
            continue;
        const ContainerItem tag = tagItem(it.key(), it.value(), roleOfTag(format, it.key(), it.value()));
        if (tag.role == ItemRole::identifying && !kept.removesEverything() && isFramingTag(it.key()))
            continue;
        if (tag.role == ItemRole::identifying && keptByChoice(report.kept, tag, familyOfTag(it.key()), kept))
            continue;
        if (tag.role == ItemRole::identifying)
            report.identifying.append(tag);
        else
            listKept(report.kept, byReason, tag);
    }
    for (const ContainerItem &summary : std::as_const(byReason))
        report.kept.append(summary);

    for (const QByteArray &name : attributes) {
        ContainerItem attribute;
        attribute.place = QStringLiteral("Attribute");
        attribute.type = name;
        report.identifying.append(attribute);
    }

    if (walk) {
        report.containerWalked = true;
        if (walk->damage) {
            ContainerItem damaged;
            damaged.place = *walk->damage;
            damaged.type = "damage";
            report.identifying.append(damaged);
            report.identifyingPieces.append(damaged);
        }
        for (const ContainerItem &piece : std::as_const(walk->items)) {
            if (piece.role == ItemRole::identifying && keptByChoice(report.kept, piece, familyOfPiece(format, piece), kept))
                continue;
            if (piece.role == ItemRole::identifying) {
                report.identifying.append(piece);
                report.identifyingPieces.append(piece);
            }
            else if (piece.role == ItemRole::content)
                report.kept.append(piece);
        }
    }
    return report;
}
