#pragma once

#include <FileItem.h>

#include <QAbstractListModel>
#include <QList>

#include <functional>

Q_DECLARE_METATYPE(FileItem)

// The file list as views see it: one row per FileItem, in the order added.
// Only TessalyViewModel changes it; every change emits the matching row
// signals and then `mutated()`, so that a view builds only the rows it shows.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY mutated)

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // QString, the item's UUID without braces
        UrlRole,                   // QUrl
        FileNameRole,              // QString
        FileExtensionRole,         // QString, lower case
        StatusRole,                // QString: "pending", "processing", "done" or "error"
        ErrorMessageRole,          // QString, empty when absent
        BeforeCountRole,           // qint64, entries in metadataBefore
        AfterCountRole,            // qint64, entries in metadataAfter
        FileItemRole,              // FileItem, the whole record (for C++ helpers of the views)
    };
    Q_ENUM(Role)

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<FileItem> &items() const { return m_items; }
    // Row of the first item with this id, or -1.
    int rowOf(const QUuid &id) const;

    // Mutations. Each is one change of the list and ends with mutated().
    void append(QList<FileItem> items);
    void removeRow(int row);
    void removeNone();
    void clear();
    void update(int row, const std::function<void(FileItem &)> &change, const QList<int> &roles);

    static QString statusName(FileStatus status);

signals:
    void mutated();

private:
    QList<FileItem> m_items;
};
