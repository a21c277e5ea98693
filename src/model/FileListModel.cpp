#include "FileListModel.h"

#include <LocalName.h>

#include <QFileInfo>

#include <algorithm>

namespace {

QUrl shownUrl(const FileItem &item)
{
    return item.cleanedCopyUrl.isEmpty() ? item.url : item.cleanedCopyUrl;
}

} // namespace

FileListModel::FileListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FileItem &item = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case FileNameRole:
        return item.cleanedCopyUrl.isEmpty() ? item.fileName : visibleFileName(localPathBytes(item.cleanedCopyUrl));
    case IdRole:
        return item.id;
    case FileExtensionRole:
        return item.fileExtension;
    case PathRole: {
        const QUrl url = shownUrl(item);
        return url.isLocalFile() ? url.toLocalFile() : url.toDisplayString();
    }
    case UrlRole:
        return shownUrl(item);
    case StatusRole:
        return int(item.status);
    case ErrorMessageRole:
        return item.errorMessage().value_or(QString());
    case BeforeCountRole:
        return int(item.packedBefore.count());
    case AfterCountRole:
        return int(item.packedAfter.count());
    case NothingToRemoveRole:
        return item.nothingToRemove;
    default:
        return {};
    }
}

QHash<int, QByteArray> FileListModel::roleNames() const
{
    return {
        {IdRole, "fileId"},
        {FileNameRole, "fileName"},
        {FileExtensionRole, "fileExtension"},
        {PathRole, "path"},
        {UrlRole, "url"},
        {StatusRole, "status"},
        {ErrorMessageRole, "errorMessage"},
        {BeforeCountRole, "beforeCount"},
        {AfterCountRole, "afterCount"},
        {NothingToRemoveRole, "nothingToRemove"},
    };
}

void FileListModel::append(QList<FileItem> items)
{
    if (!items.isEmpty()) {
        const int first = int(m_items.size());
        beginInsertRows({}, first, first + int(items.size()) - 1);
        // No reserve: an exact one would move every listed item for each
        // slice of a large drop, where growth by doubling moves each a few times.
        for (FileItem &item : items) {
            m_rows.insert(item.id, int(m_items.size()));
            ++m_counts[std::size_t(item.status)];
            m_items.append(std::move(item));
        }
        endInsertRows();
    }
    emit mutated();
}

void FileListModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    --m_counts[std::size_t(m_items[row].status)];
    m_rows.remove(m_items[row].id);
    m_items.removeAt(row);
    for (int later = row; later < m_items.size(); ++later)
        m_rows[m_items[later].id] = later;
    endRemoveRows();
    emit mutated();
}

void FileListModel::clear()
{
    if (!m_items.isEmpty()) {
        beginResetModel();
        m_items.clear();
        m_rows.clear();
        m_counts = {};
        endResetModel();
    }
    emit mutated();
}

void FileListModel::update(int row, const std::function<void(FileItem &)> &change, const QList<int> &roles)
{
    FileItem &item = m_items[row];
    const FileStatus was = item.status;
    change(item);
    --m_counts[std::size_t(was)];
    ++m_counts[std::size_t(item.status)];
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, roles);
    emit mutated();
}

void FileListModel::updateRows(QList<int> rows, const std::function<void(FileItem &)> &change, const QList<int> &roles)
{
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    qsizetype first = 0;
    for (qsizetype at = 0; at < rows.size(); ++at) {
        FileItem &item = m_items[rows[at]];
        --m_counts[std::size_t(item.status)];
        change(item);
        ++m_counts[std::size_t(item.status)];
        if (at + 1 == rows.size() || rows[at + 1] != rows[at] + 1) {
            emit dataChanged(index(rows[first]), index(rows[at]), roles);
            first = at + 1;
        }
    }
    emit mutated();
}

QList<int> FileListModel::resultRoles()
{
    return {BeforeCountRole, AfterCountRole, NothingToRemoveRole, ErrorMessageRole,
            StatusRole, FileNameRole, PathRole, UrlRole};
}
