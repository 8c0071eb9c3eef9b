#include "panes/FileListModel.h"
#include "panes/FileListView.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
FileRow folder(const QString &name)
{
    FileRow r;
    r.text = name;
    r.iconKey = QStringLiteral("FolderClose");
    r.tag = QStringLiteral("/d/") + name;
    return r;
}

FileRow file(const QString &name, const QString &size = QString())
{
    FileRow r;
    r.text = name;
    r.iconKey = QStringLiteral("File");
    r.setSubItem(1, size);
    r.key = QStringLiteral("k_") + name;
    return r;
}

QStringList texts(const FileListModel &m)
{
    QStringList out;
    for (const FileRow &r : m.rows())
        out << r.text;
    return out;
}
} // namespace

class TestFileListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillSortsOnlyTheSortedPart()
    {
        FileListModel m({"名称", "大小", "日期"});
        QAbstractItemModelTester tester(&m);
        m.fill({FileListModel::parentRow(), folder("beta"), folder("Alpha"), folder("gamma")},
               {file("z.txt"), file("a.txt")});
        QCOMPARE(texts(m), QStringList({"..", "Alpha", "beta", "gamma", "z.txt", "a.txt"}));
        QVERIFY(!m.isSorted());

        m.setSortOrder(Qt::DescendingOrder);
        m.fill({folder("beta"), folder("Alpha")}, {});
        QCOMPARE(texts(m), QStringList({"beta", "Alpha"}));
    }

    // The collation puts "_", "-", "!" and blanks before "."; an ascending
    // fill still starts with the parent row, a descending one leaves it where
    // the sort puts it.
    void parentRowLeadsAnAscendingFill()
    {
        const QVector<FileRow> rows = {
            folder("_under"), folder("b"),     FileListModel::parentRow(),
            folder("-dash"),  folder("!bang"), folder(" lead")};
        FileListModel m({"名称", "大小", "日期"});
        m.fill(rows);
        const QStringList ascending = texts(m);
        QCOMPARE(ascending.first(), QStringLiteral(".."));

        m.setSortOrder(Qt::DescendingOrder);
        m.fill(rows);
        QStringList descending = texts(m);
        QCOMPARE(descending.first(), QStringLiteral("b"));
        QVERIFY(descending.indexOf("..") > 0);
        descending.removeAll("..");
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(descending, ascending.mid(1));
    }

    void addRowHonoursAutomaticSorting()
    {
        FileListModel m({"名称"});
        QAbstractItemModelTester tester(&m);
        m.setSorted(true);
        m.addRow(FileListModel::parentRow());
        m.addRow(folder("b"));
        m.addRow(folder("A"));
        m.addRow(folder("a")); // equal to "A" ignoring case: goes after it
        m.setSorted(false);
        m.addRow(file("b.txt"));
        m.addRow(file("a.txt"));
        QCOMPARE(texts(m), QStringList({"..", "A", "a", "b", "b.txt", "a.txt"}));
    }

    void sortComparesTextNotNumbers()
    {
        FileListModel m({"名称", "大小"});
        m.fill({}, {file("x", "20"), file("y", "100"), file("z", "9")});
        m.setSortColumn(1);
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"y", "x", "z"}));
        m.setSortOrder(Qt::DescendingOrder);
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"z", "x", "y"}));
    }

    void selectionFollowsItsRowsWhenSorting()
    {
        FileListModel m({"名称", "大小"});
        QAbstractItemModelTester tester(&m);
        m.fill({}, {file("c"), file("a"), file("b")});
        FileListView view(&m);
        view.selectRow(0);            // "c"
        view.setRowSelected(2, true); // "b"
        m.setDropHighlightRow(1);     // "a"
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"a", "b", "c"}));
        QCOMPARE(view.selectedRow(), 2);
        QCOMPARE(view.selectedRows(), QList<int>({1, 2}));
        QCOMPARE(m.dropHighlightRow(), 0);
    }

    void foldersFirstRebuildsTheParentRowAndDropsKeys()
    {
        FileListModel m({"名称", "大小"});
        QAbstractItemModelTester tester(&m);
        FileRow link = file("lnk");
        link.iconKey = QStringLiteral("FolderLink");
        m.fill({}, {file("b"), folder("d2"), link, folder("d1"), file("a")});
        m.foldersFirst();
        QCOMPARE(texts(m), QStringList({"..", "d2", "d1", "b", "lnk", "a"}));
        QCOMPARE(m.row(0).key, QStringLiteral("Cdup"));
        QCOMPARE(m.row(0).iconKey, QStringLiteral("Cdup"));
        QVERIFY(m.row(3).key.isEmpty());
        QCOMPARE(m.row(1).tag, QStringLiteral("/d/d2"));

        // Descending names: the parent row still ends up first.
        m.setSortOrder(Qt::DescendingOrder);
        m.setSorted(true);
        m.foldersFirst();
        QCOMPARE(texts(m), QStringList({"..", "d2", "d1", "lnk", "b", "a"}));
    }

    void foldersFirstLeavesALoneParentRowAlone()
    {
        FileListModel m({"名称"});
        QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
        m.fill({FileListModel::parentRow()});
        reset.clear();
        m.foldersFirst();
        QCOMPARE(reset.count(), 0);
        QCOMPARE(m.rowCount(), 1);
    }

    void findTextIgnoresCase()
    {
        FileListModel m({"名称"});
        m.fill({}, {file("Readme.TXT"), file("other")});
        QCOMPARE(m.findText("readme.txt"), 0);
        QCOMPARE(m.findText("missing"), -1);
        QCOMPARE(m.findKey("k_other"), 1);
    }

    void refusedLabelEditKeepsTheOldText()
    {
        FileListModel m({"名称"});
        m.fill({}, {file("old")});
        QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
        bool accept = false;
        m.setLabelEditHandler([&](int, const QString &) { return accept; });
        QVERIFY(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(!m.setData(m.index(0, 0), "new", Qt::EditRole));
        QCOMPARE(m.row(0).text, QStringLiteral("old"));
        accept = true;
        QVERIFY(m.setData(m.index(0, 0), "new", Qt::EditRole));
        QCOMPARE(m.row(0).text, QStringLiteral("new"));
    }

    void viewSharesSelectionBetweenModes()
    {
        FileListModel m({"名称", "大小"});
        m.fill({FileListModel::parentRow()}, {file("a"), file("b"), file("c")});
        FileListView view(&m);
        QCOMPARE(view.selectedRow(), -1);
        view.selectRow(2);
        view.setRowSelected(1, true);
        QCOMPARE(view.selectedRow(), 2); // the focused row wins
        QCOMPARE(view.selectedRows(), QList<int>({1, 2}));
        view.setViewMode(FileListView::ListMode);
        QCOMPARE(view.selectedRows(), QList<int>({1, 2}));
        view.setViewMode(7); // not a view mode: ignored
        QCOMPARE(view.viewMode(), FileListView::ListMode);
        m.fill({}, {file("x")});
        QCOMPARE(view.selectedRow(), -1);
    }
};

QTEST_MAIN(TestFileListModel)
#include "tst_filelistmodel.moc"
