#include "FileRows.h"

#include "FamilyTexts.h"
#include "FileKind.h"
#include "MetadataLog.h"
#include "UiTexts.h"

#include <QAbstractProxyModel>

namespace {

// One flat list for the view; the first entry of each topic carries its
// heading, and exiftool's warnings are marked so they are not counted as tags.
QVariantList toVariantList(const QList<MetadataLog::Section> &sections)
{
    QVariantList list;
    for (const MetadataLog::Section &section : sections) {
        const QString heading = topicHeading(section.topic);
        for (const MetadataLog::Entry &entry : section.entries) {
            list.append(QVariantMap{
                {QStringLiteral("key"), entry.key},
                {QStringLiteral("value"), entry.value},
                {QStringLiteral("removed"), entry.removed},
                {QStringLiteral("heading"), &entry == &section.entries.first() ? heading : QString()},
                {QStringLiteral("warning"), section.topic == TagTopic::toolWarnings},
            });
        }
    }
    return list;
}

struct StatusLook
{
    QString symbol;
    QString tint;
};

StatusLook statusLook(FileStatus status)
{
    switch (status) {
    case FileStatus::processing:
        return {QStringLiteral("wand.and.stars"), QStringLiteral("blue")};
    case FileStatus::done:
        return {QStringLiteral("checkmark.circle.fill"), QStringLiteral("green")};
    case FileStatus::error:
        return {QStringLiteral("xmark.circle.fill"), QStringLiteral("red")};
    default:
        return {{}, QStringLiteral("secondary")};
    }
}

bool canExpand(FileStatus status)
{
    return status == FileStatus::done || status == FileStatus::error;
}

// The first sentence of a message: what a row has room for.
QString firstSentence(const QString &message)
{
    QString line = message.section(u'\n', 0, 0);
    const qsizetype end = line.indexOf(QLatin1String(". "));
    return end < 0 ? line : line.left(end + 1);
}

// Beside the status: the counts of a cleaned row, the reason of a failed one.
QString countsText(const FileItem &file)
{
    if (file.status == FileStatus::error)
        return firstSentence(file.errorMessage().value_or(QString()));
    if (file.status != FileStatus::done)
        return {};
    //% "Nothing to remove"
    return file.nothingToRemove ? qtTrId("nothing_to_remove")
                                : UiTexts::keyCountsText(file.packedBefore.count(), file.packedAfter.count());
}

// What a change of the list's roles changes of the roles made here.
QList<int> derivedRoles(const QList<int> &roles)
{
    QList<int> derived;
    const auto add = [&derived](std::initializer_list<int> more) {
        for (int role : more) {
            if (!derived.contains(role))
                derived.append(role);
        }
    };
    for (int role : roles) {
        switch (role) {
        case FileListModel::PathRole:
            add({FileRows::FolderRole});
            break;
        case FileListModel::FileExtensionRole:
            add({FileRows::FileSymbolRole, FileRows::FileTintRole});
            break;
        case FileListModel::StatusRole:
            add({FileRows::StatusSymbolRole, FileRows::StatusTintRole, FileRows::StatusTextRole,
                 FileRows::CountsTextRole, FileRows::AccessibleTextRole, FileRows::CanExpandRole,
                 FileRows::MetadataLogRole});
            break;
        case FileListModel::FileNameRole:
        case FileListModel::ErrorMessageRole:
        case FileListModel::BeforeCountRole:
        case FileListModel::AfterCountRole:
        case FileListModel::NothingToRemoveRole:
            add({FileRows::CountsTextRole, FileRows::AccessibleTextRole, FileRows::MetadataLogRole});
            break;
        default:
            break;
        }
    }
    return derived;
}

} // namespace

FileRows::FileRows(QObject *parent)
    : QIdentityProxyModel(parent)
{
}

void FileRows::setSourceModel(QAbstractItemModel *model)
{
    disconnect(m_dataChanged);
    QIdentityProxyModel::setSourceModel(model);
    if (model)
        m_dataChanged = connect(model, &QAbstractItemModel::dataChanged, this, &FileRows::sourceDataChanged);
}

// The proxy passes the list's roles on as they are; the rows' own follow.
void FileRows::sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (roles.isEmpty())
        return; // announced as "every role" already
    const QList<int> derived = derivedRoles(roles);
    if (!derived.isEmpty())
        emit dataChanged(mapFromSource(topLeft), mapFromSource(bottomRight), derived);
}

const FileItem *FileRows::itemAt(const QModelIndex &index) const
{
    QModelIndex at = mapToSource(index);
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(at.model()))
        at = proxy->mapToSource(at);
    const auto *files = qobject_cast<const FileListModel *>(at.model());
    if (!files || !at.isValid() || at.row() >= files->items().size())
        return nullptr;
    return &files->items().at(at.row());
}

QVariant FileRows::data(const QModelIndex &index, int role) const
{
    if (role < FolderRole)
        return QIdentityProxyModel::data(index, role);
    const FileItem *file = itemAt(index);
    if (!file)
        return {};
    switch (role) {
    case FolderRole: {
        const QString path = QIdentityProxyModel::data(index, FileListModel::PathRole).toString();
        const qsizetype slash = path.lastIndexOf(u'/');
        return slash > 0 ? path.left(slash) : QStringLiteral("/");
    }
    case FileSymbolRole:
        return FileKind::forExtension(file->fileExtension).symbol;
    case FileTintRole:
        return FileKind::forExtension(file->fileExtension).tint;
    case StatusSymbolRole:
        return statusLook(file->status).symbol;
    case StatusTintRole:
        return statusLook(file->status).tint;
    case StatusTextRole:
        return statusText(file->status);
    case CountsTextRole:
        return countsText(*file);
    case AccessibleTextRole:
        return accessibleText(QIdentityProxyModel::data(index, FileListModel::FileNameRole).toString(), *file);
    case CanExpandRole:
        return canExpand(file->status);
    case ExpandedRole:
        return m_expanded.contains(file->id);
    case MetadataLogRole:
        return metadataLog(file);
    default:
        return {};
    }
}

bool FileRows::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const FileItem *file = role == ExpandedRole ? itemAt(index) : nullptr;
    if (!file)
        return false;
    if (value.toBool() == m_expanded.contains(file->id))
        return true;
    if (value.toBool())
        m_expanded.insert(file->id);
    else
        m_expanded.remove(file->id);
    emit dataChanged(index, index, {ExpandedRole});
    return true;
}

QHash<int, QByteArray> FileRows::roleNames() const
{
    QHash<int, QByteArray> names = QIdentityProxyModel::roleNames();
    names.insert({
        {FolderRole, "folder"},
        {FileSymbolRole, "fileSymbol"},
        {FileTintRole, "fileTint"},
        {StatusSymbolRole, "statusSymbol"},
        {StatusTintRole, "statusTint"},
        {StatusTextRole, "statusText"},
        {CountsTextRole, "countsText"},
        {AccessibleTextRole, "accessibleText"},
        {CanExpandRole, "canExpand"},
        {ExpandedRole, "expanded"},
        {MetadataLogRole, "metadataLog"},
    });
    return names;
}

QString FileRows::statusText(FileStatus status)
{
    switch (status) {
    case FileStatus::processing:
        //% "Cleaning…"
        return qtTrId("status_processing");
    case FileStatus::done:
        //% "Cleaned"
        return qtTrId("status_done");
    case FileStatus::error:
        //% "Failed"
        return qtTrId("status_error");
    case FileStatus::ready:
        //% "Not cleaned yet"
        return qtTrId("status_ready");
    case FileStatus::stopped:
        //% "Stopped"
        return qtTrId("status_stopped");
    case FileStatus::pending:
        break;
    }
    //% "Waiting"
    return qtTrId("status_waiting");
}

QString FileRows::accessibleText(const QString &name, const FileItem &file)
{
    QStringList parts{name, statusText(file.status)};
    if (file.status == FileStatus::done && file.nothingToRemove)
        parts.append(countsText(file));
    else if (file.status == FileStatus::done)
        //% "%n tags before, %1 after"
        parts.append(qtTrId("a11y_tag_counts", int(file.packedBefore.count())).arg(file.packedAfter.count()));
    const QString kept = file.status == FileStatus::done ? FamilyTexts::keptInFileNote(file.kept) : QString();
    if (!kept.isEmpty())
        parts.append(kept);
    else if (file.status == FileStatus::error && !file.errorMessage().value_or(QString()).isEmpty())
        parts.append(*file.errorMessage());
    return parts.join(QStringLiteral(", "));
}

QVariantMap FileRows::metadataLog(const FileItem *file)
{
    if (!file)
        return {{QStringLiteral("errorMessage"), QString()}, {QStringLiteral("errorDetail"), QString()},
                {QStringLiteral("hasComparison"), false},
                {QStringLiteral("before"), QVariantList()}, {QStringLiteral("after"), QVariantList()},
                {QStringLiteral("stillInFile"), QStringList()}, {QStringLiteral("keptNote"), QString()}};
    const MetadataTable before = file->metadataBefore();
    const MetadataTable after = file->metadataAfter();
    const QSet<QString> removed = MetadataLog::removedKeys(before, after);
    return {
        {QStringLiteral("errorMessage"),
         MetadataLog::displayText(file->errorMessage().value_or(QString()), MetadataLog::maxValueLength)},
        // The tool's own words, under the app's: what a helper would ask for.
        {QStringLiteral("errorDetail"),
         MetadataLog::displayText(file->failure ? failureDetail(*file->failure) : QString(), MetadataLog::maxValueLength)},
        {QStringLiteral("hasComparison"), !before.isEmpty() || !after.isEmpty()},
        {QStringLiteral("before"), toVariantList(MetadataLog::groupedEntries(before, removed))},
        {QStringLiteral("after"), toVariantList(MetadataLog::groupedEntries(after))},
        {QStringLiteral("stillInFile"), MetadataLog::stillInFileLines(file->stillInFile)},
        {QStringLiteral("keptNote"), FamilyTexts::keptInFileNote(file->kept)},
    };
}
