#include "NotCleanedFilter.h"

#include "FileListModel.h"

NotCleanedFilter::NotCleanedFilter(FileListModel *files, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(files);
    setDynamicSortFilter(true);
    setFilterRole(FileListModel::StatusRole);
}

bool NotCleanedFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const int status = sourceModel()->index(sourceRow, 0, sourceParent).data(FileListModel::StatusRole).toInt();
    return status == FileListModel::Error || status == FileListModel::Stopped;
}
