#pragma once

#include <FileListModel.h>

#include <QIdentityProxyModel>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

// The file list as its row views show it: the list's own roles (of the list
// itself or of a filter over it) and what a row draws and says, computed
// here, so that the views never call back with a row. Which rows are open
// is kept here by file id: the list drops the views of rows scrolled out of
// sight, and a filter switched on and off keeps them.
class FileRows : public QIdentityProxyModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum Role {
        FolderRole = FileListModel::NothingToRemoveRole + 100, // QString: the folder of the shown path
        FileSymbolRole,     // QString: the icon of the file's kind
        FileTintRole,       // QString: a theme tint name ("blue", "purple", …)
        StatusSymbolRole,   // QString: empty for the statuses shown as a plain word
        StatusTintRole,     // QString: a theme tint name
        StatusTextRole,     // QString
        CountsTextRole,     // QString: "80 → 25", "Nothing to remove", or a failure's first sentence
        AccessibleTextRole, // QString: what a screen reader says for the row
        CanExpandRole,      // bool: done or failed rows open
        ExpandedRole,       // bool, writable
        MetadataLogRole,    // QVariantMap for MetadataLogView, made only when asked
    };
    Q_ENUM(Role)

    explicit FileRows(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *model) override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // For MetadataLogView, the log of one file: errorMessage and errorDetail
    // (strings, empty when none), hasComparison (bool), before and after
    // (lists of {key, value, removed, heading, warning}), stillInFile.
    static QVariantMap metadataLog(const FileItem *file);
    // `name` as the row shows it: the cleaned copy's, once there is one.
    static QString accessibleText(const QString &name, const FileItem &file);
    static QString statusText(FileStatus status);

private:
    // The item behind a row of this model, through any filters between.
    const FileItem *itemAt(const QModelIndex &index) const;
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);

    QSet<QUuid> m_expanded;
    QMetaObject::Connection m_dataChanged;
};
