#pragma once

#include <QSortFilterProxyModel>

class FileListModel;

// The rows of the list whose file was not cleaned: failed or stopped. It
// follows the list as statuses change; a row tried again leaves it.
class NotCleanedFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit NotCleanedFilter(FileListModel *files, QObject *parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
};
