#include "panes/FileListModel.h"
#include "panes/PaneSorting.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
const QStringList localHeaders = {QStringLiteral("名称"), QStringLiteral("大小"),
                                  QStringLiteral("日期")};
const QStringList remoteHeaders = localHeaders + QStringList{QStringLiteral("权限")};

FileRow row(const QString &name, const QString &icon, const QString &size,
            const QString &date = QString(), const QString &permissions = QString())
{
    FileRow r;
    r.text = name;
    r.iconKey = icon;
    r.setSubItem(1, size);
    r.setSubItem(2, date);
    r.setSubItem(3, permissions);
    return r;
}

// A listing as a fill leaves it: the parent row and folders sorted by name,
// the files after them unsorted.
void fillListing(FileListModel &m)
{
    m.fill({FileListModel::parentRow(), row("src", "FolderClose", "", "2024-01-02", "755"),
            row("Docs", "FolderClose", "", "2024-03-01", "700")},
           {row("b.txt", "TextFile", "20", "2024-02-01", "644"),
            row("a.zip", "ZipFile", "100", "2024-01-01", "600"),
            row("c.txt", "TextFile", "9", "2024-03-03", "640")});
}

QStringList texts(const FileListModel &m)
{
    QStringList out;
    for (const FileRow &r : m.rows())
        out << r.text;
    return out;
}
} // namespace

class TestPaneSorting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nameHeaderTogglesAndKeepsGroups()
    {
        FileListModel m(localHeaders);
        QAbstractItemModelTester tester(&m);
        fillListing(m);
        SortByHeader(m, 0); // ascending → descending
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "src", "Docs", "c.txt", "b.txt", "a.zip"}));
        QCOMPARE(m.row(0).iconKey, QStringLiteral("Cdup"));
        QVERIFY(!m.isSorted());

        SortByHeader(m, 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "Docs", "src", "a.zip", "b.txt", "c.txt"}));
    }

    void movingToAnotherColumnAlsoToggles()
    {
        FileListModel m(localHeaders);
        fillListing(m);
        SortByHeader(m, 2); // ascending names before: the dates sort descending
        QCOMPARE(m.sortColumn(), 2);
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "Docs", "src", "c.txt", "b.txt", "a.zip"}));

        // Sizes are compared as text: "100" before "20" before "9".
        SortByHeader(m, 1);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(texts(m).mid(3), QStringList({"a.zip", "b.txt", "c.txt"}));
    }

    void permissionsColumnKeepsTheDirection()
    {
        FileListModel m(remoteHeaders);
        fillListing(m);
        m.setSortOrder(Qt::DescendingOrder);
        SortByHeader(m, 3);
        QCOMPARE(m.sortColumn(), 3);
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "src", "Docs", "b.txt", "c.txt", "a.zip"}));
        SortByHeader(m, 3);
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
    }

    void fewerThanTwoRowsChangesNothing()
    {
        FileListModel m(localHeaders);
        m.fill({FileListModel::parentRow()});
        QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
        QSignalSpy layout(&m, &QAbstractItemModel::layoutChanged);
        SortByHeader(m, 1);
        QCOMPARE(m.sortColumn(), 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(reset.count() + layout.count(), 0);

        m.clear();
        SortByHeader(m, 2);
        QCOMPARE(m.sortColumn(), 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
    }

    void sortByNameStartsOverAscending()
    {
        FileListModel m(localHeaders);
        fillListing(m);
        SortByHeader(m, 2);
        SortByName(m);
        QCOMPARE(m.sortColumn(), 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "Docs", "src", "a.zip", "b.txt", "c.txt"}));
        QVERIFY(!m.isSorted());
    }

    void listWithoutParentRowGetsOne()
    {
        FileListModel m(remoteHeaders);
        m.fill({},
               {row("z", "File", "1"), row("lnk", "FolderLink", ""), row("d", "FolderClose", "")});
        SortByName(m);
        QCOMPARE(texts(m), QStringList({"..", "d", "lnk", "z"}));
    }
};

QTEST_MAIN(TestPaneSorting)
#include "tst_panesorting.moc"
