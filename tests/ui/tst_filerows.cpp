#include <FileRows.h>
#include <NotCleanedFilter.h>

#include <Failure.h>
#include <Translations.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

// What a row shows, computed from the list and announced when the list changes.
class tst_FileRows : public QObject
{
    Q_OBJECT

    static FileItem item(const QString &path, FileStatus status)
    {
        FileItem file = FileItem::fromUrl(QUrl::fromLocalFile(path));
        file.status = status;
        return file;
    }

    static QVariant role(const QAbstractItemModel &model, int row, int role)
    {
        return model.data(model.index(row, 0), role);
    }

private slots:
    void initTestCase() { installTranslations(); }

    void rowLooks_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("nothingToRemove");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("statusSymbol");
        QTest::addColumn<QString>("statusTint");
        QTest::addColumn<QString>("accessibleText");
        QTest::addColumn<bool>("canExpand");
        QTest::addColumn<QString>("countsText");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder"); // "/" for a file at the root
        QTest::addColumn<QString>("fileSymbol");
        const QString photo = u"/home/jane/Pictures/a.jpg"_qs, pictures = u"/home/jane/Pictures"_qs;
        const auto s = [](FileStatus status) { return int(status); };
        QTest::newRow("waiting") << s(FileStatus::pending) << false << "Waiting" << "" << "secondary"
                                 << "a.jpg, Waiting" << false << "" << photo << pictures << "photo";
        QTest::newRow("waiting, at the root") << s(FileStatus::pending) << false << "Waiting" << "" << "secondary"
                                              << "a.pdf, Waiting" << false << "" << u"/a.pdf"_qs << "/" << "doc.text";
        QTest::newRow("ready") << s(FileStatus::ready) << false << "Not cleaned yet" << "" << "secondary"
                               << "a.jpg, Not cleaned yet" << false << "" << photo << pictures << "photo";
        QTest::newRow("stopped") << s(FileStatus::stopped) << false << "Stopped" << "" << "secondary"
                                 << "a.jpg, Stopped" << false << "" << photo << pictures << "photo";
        QTest::newRow("processing") << s(FileStatus::processing) << false << u"Cleaning…"_qs << "wand.and.stars"
                                    << "blue" << u"a.jpg, Cleaning…"_qs << false << "" << photo << pictures << "photo";
        QTest::newRow("done") << s(FileStatus::done) << false << "Cleaned" << "checkmark.circle.fill" << "green"
                              << "a.jpg, Cleaned, 2 tags before, 1 after" << true << u"2 → 1"_qs << photo << pictures
                              << "photo";
        QTest::newRow("done, nothing to remove") << s(FileStatus::done) << true << "Cleaned" << "checkmark.circle.fill"
                                                 << "green" << "a.jpg, Cleaned, Nothing to remove" << true
                                                 << "Nothing to remove" << photo << pictures << "photo";
        // Beside a failed row's status: its reason's first sentence.
        QTest::newRow("failed") << s(FileStatus::error) << false << "Failed" << "xmark.circle.fill" << "red"
                                << "a.jpg, Failed, ExifTool: it broke. Nothing was changed." << true
                                << "ExifTool: it broke." << photo << pictures << "photo";
    }

    void rowLooks()
    {
        QFETCH(int, status);
        QFETCH(QString, path);
        FileItem file = item(path, FileStatus(status));
        QFETCH(bool, nothingToRemove);
        file.nothingToRemove = nothingToRemove;
        file.packedBefore = PackedMetadata::pack({{u"GPS:GPSLatitude"_qs, u"1"_qs}, {u"EXIF:Make"_qs, u"X"_qs}});
        file.packedAfter = PackedMetadata::pack({{u"EXIF:Make"_qs, u"X"_qs}});
        if (file.status == FileStatus::error)
            file.failure = ExifToolError::processError(u"it broke. Nothing was changed."_qs);
        FileListModel files;
        files.append({file});
        FileRows rows;
        rows.setSourceModel(&files);
        QTEST(role(rows, 0, FileRows::StatusTextRole).toString(), "statusText");
        QTEST(role(rows, 0, FileRows::StatusSymbolRole).toString(), "statusSymbol");
        QTEST(role(rows, 0, FileRows::StatusTintRole).toString(), "statusTint");
        QTEST(role(rows, 0, FileRows::AccessibleTextRole).toString(), "accessibleText");
        QTEST(role(rows, 0, FileRows::CanExpandRole).toBool(), "canExpand");
        QTEST(role(rows, 0, FileRows::CountsTextRole).toString(), "countsText");
        QTEST(role(rows, 0, FileRows::FolderRole).toString(), "folder");
        QTEST(role(rows, 0, FileRows::FileSymbolRole).toString(), "fileSymbol");
        QCOMPARE(role(rows, 0, FileListModel::FileNameRole).toString(), QFileInfo(path).fileName());
    }

    // A new status reaches the roles made from it: a view that listened to
    // the list's own roles only would keep saying "Waiting".
    void changesOfTheListReachTheRowsRoles()
    {
        FileListModel files;
        files.append({item(u"/p/a.jpg"_qs, FileStatus::pending), item(u"/p/b.jpg"_qs, FileStatus::pending)});
        FileRows rows;
        rows.setSourceModel(&files);
        QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
        files.update(1, [](FileItem &file) { file.status = FileStatus::processing; }, {FileListModel::StatusRole});
        QList<int> roles;
        for (const QList<QVariant> &signal : changed) {
            QCOMPARE(signal.at(0).toModelIndex().row(), 1);
            roles += signal.at(2).value<QList<int>>();
        }
        for (int derived : {FileRows::StatusTextRole, FileRows::StatusSymbolRole, FileRows::AccessibleTextRole,
                            FileRows::CanExpandRole, FileRows::MetadataLogRole})
            QVERIFY2(roles.contains(derived), qPrintable(QString::number(derived)));
        QVERIFY(!roles.contains(FileRows::ExpandedRole));
        QCOMPARE(role(rows, 1, FileRows::StatusTextRole).toString(), u"Cleaning…"_qs);
    }

    // The open state belongs to the file: it follows the file through a
    // filter, stays when the filter goes, and is no other file's.
    void openStateFollowsTheFile()
    {
        FileListModel files;
        files.append({item(u"/p/a.jpg"_qs, FileStatus::done), item(u"/p/b.jpg"_qs, FileStatus::error),
                      item(u"/p/c.jpg"_qs, FileStatus::error)});
        NotCleanedFilter notCleaned(&files);
        FileRows rows;
        rows.setSourceModel(&notCleaned);
        QCOMPARE(rows.rowCount(), 2);
        QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
        QVERIFY(rows.setData(rows.index(1, 0), true, FileRows::ExpandedRole));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(role(rows, 1, FileRows::ExpandedRole).toBool(), true);
        QCOMPARE(role(rows, 1, FileListModel::FileNameRole).toString(), u"c.jpg"_qs);
        QCOMPARE(role(rows, 0, FileRows::ExpandedRole).toBool(), false);
        rows.setSourceModel(&files);
        QCOMPARE(role(rows, 2, FileRows::ExpandedRole).toBool(), true);
        QCOMPARE(role(rows, 1, FileRows::ExpandedRole).toBool(), false);
        QVERIFY(!rows.setData(rows.index(0, 0), true, FileListModel::StatusRole));
    }
};

QTEST_GUILESS_MAIN(tst_FileRows)
#include "tst_filerows.moc"
