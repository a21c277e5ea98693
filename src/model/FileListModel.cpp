#include "FileListModel.h"

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
        return item.fileName;
    case IdRole:
        return item.id.toString(QUuid::WithoutBraces);
    case UrlRole:
        return item.url;
    case FileExtensionRole:
        return item.fileExtension;
    case StatusRole:
        return statusName(item.status);
    case ErrorMessageRole:
        return item.errorMessage.value_or(QString());
    case BeforeCountRole:
        return qint64(item.metadataBefore.size());
    case AfterCountRole:
        return qint64(item.metadataAfter.size());
    case FileItemRole:
        return QVariant::fromValue(item);
    default:
        return {};
    }
}

QHash<int, QByteArray> FileListModel::roleNames() const
{
    return {
        {IdRole, "fileId"},
        {UrlRole, "url"},
        {FileNameRole, "fileName"},
        {FileExtensionRole, "fileExtension"},
        {StatusRole, "status"},
        {ErrorMessageRole, "errorMessage"},
        {BeforeCountRole, "beforeCount"},
        {AfterCountRole, "afterCount"},
        {FileItemRole, "fileItem"},
    };
}

int FileListModel::rowOf(const QUuid &id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items[row].id == id)
            return int(row);
    }
    return -1;
}

void FileListModel::append(QList<FileItem> items)
{
    if (!items.isEmpty()) {
        const int first = int(m_items.size());
        beginInsertRows({}, first, first + int(items.size()) - 1);
        m_items.append(std::move(items));
        endInsertRows();
    }
    emit mutated();
}

void FileListModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
    emit mutated();
}

void FileListModel::removeNone()
{
    emit mutated();
}

void FileListModel::clear()
{
    if (!m_items.isEmpty()) {
        beginResetModel();
        m_items.clear();
        endResetModel();
    }
    emit mutated();
}

void FileListModel::update(int row, const std::function<void(FileItem &)> &change, const QList<int> &roles)
{
    change(m_items[row]);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, roles);
    emit mutated();
}

QString FileListModel::statusName(FileStatus status)
{
    switch (status) {
    case FileStatus::pending:
        return QStringLiteral("pending");
    case FileStatus::processing:
        return QStringLiteral("processing");
    case FileStatus::done:
        return QStringLiteral("done");
    case FileStatus::error:
        return QStringLiteral("error");
    }
    Q_UNREACHABLE();
}
