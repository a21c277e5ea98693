#pragma once

#include <FileItem.h>

#include <QAbstractListModel>
#include <QHash>
#include <QList>

#include <array>
#include <functional>

// The file list as views see it: one row per FileItem, in the order added.
// Only TessalyViewModel changes it; every change emits the matching row
// signals and then `mutated()`, so that a view builds only the rows it shows.
// Rows are found by id through a hash, and the number of items in each state
// is kept as items change, so a result costs the same in a list of ten rows
// as in one of twenty thousand.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY mutated)

public:
    // FileStatus as QML sees it (QML enum keys start with a capital).
    enum Status {
        Pending = int(FileStatus::pending),
        Processing = int(FileStatus::processing),
        Done = int(FileStatus::done),
        Error = int(FileStatus::error),
        Stopped = int(FileStatus::stopped),
        Ready = int(FileStatus::ready),
    };
    Q_ENUM(Status)

    enum Role {
        IdRole = Qt::UserRole + 1, // QUuid, for view state kept by file
        FileNameRole,              // QString: the file's name, or its cleaned copy's
        FileExtensionRole,         // QString, lower case
        PathRole,                  // QString: the full path (of the cleaned copy, once there is one)
        UrlRole,                   // QUrl of that path
        StatusRole,                // Status
        ErrorMessageRole,          // QString, empty when none; in the current language
        BeforeCountRole,           // int, entries in metadataBefore
        AfterCountRole,            // int, entries in metadataAfter
        NothingToRemoveRole,       // bool: done without a change, the file held nothing to remove
    };
    Q_ENUM(Role)

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<FileItem> &items() const { return m_items; }
    // Row of the item with this id, or -1.
    int rowOf(const QUuid &id) const { return m_rows.value(id, -1); }
    qint64 countOf(FileStatus status) const { return m_counts[std::size_t(status)]; }

    // Mutations. Each is one change of the list and ends with mutated().
    void append(QList<FileItem> items);
    void removeRow(int row);
    void clear();
    // One change of one item, announced once with every role it touched.
    void update(int row, const std::function<void(FileItem &)> &change, const QList<int> &roles);
    // The same change of many items, announced once per run of adjacent rows.
    void updateRows(QList<int> rows, const std::function<void(FileItem &)> &change, const QList<int> &roles);
    // The roles a clean's result changes.
    static QList<int> resultRoles();

signals:
    void mutated();

private:
    QList<FileItem> m_items;
    QHash<QUuid, int> m_rows;
    std::array<qint64, 6> m_counts{};
};
