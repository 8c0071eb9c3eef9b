#include "panes/FileListModel.h"
#include "panes/FileListView.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
FileRow folder(const QString &name)
{
    FileRow r;
    r.text = name;
    r.kind = EntryKind::Folder;
    r.tag = QStringLiteral("/d/") + name;
    return r;
}

FileRow file(const QString &name, qint64 size = -1)
{
    FileRow r;
    r.text = name;
    r.size = size;
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

    // What a typed row shows: the size and date texts are made from the
    // numbers and times, nothing where none is known, and the picture
    // follows from the kind (a file's from its name).
    void rowShowsWhatItIs_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<bool>("dayOnly");
        QTest::addColumn<QStringList>("shown"); // size, date, icon key
        const QDateTime noon(QDate(2026, 12, 8), QTime(12, 5), Qt::UTC);
        const auto file = int(EntryKind::File);
        QTest::newRow("text file") << file << "a.txt" << qint64(0) << noon << false
                                   << QStringList{"0", "2026-12-08 12:05", "TextFile"};
        QTest::newRow("past 4 GiB, day only")
            << file << "disk" << qint64(5368709123) << noon << true
            << QStringList{"5368709123", "2026-12-08", "File"};
        QTest::newRow("size and time unknown")
            << file << "x" << qint64(-1) << QDateTime() << false << QStringList{"", "", "File"};
        QTest::newRow("folder") << int(EntryKind::Folder) << "d" << qint64(-1) << noon << false
                                << QStringList{"", "2026-12-08 12:05", "FolderClose"};
        QTest::newRow("link") << int(EntryKind::Link) << "www" << qint64(11) << noon << false
                              << QStringList{"11", "2026-12-08 12:05", "Link"};
        QTest::newRow("link to a folder")
            << int(EntryKind::FolderLink) << "www" << qint64(-1) << QDateTime() << false
            << QStringList{"", "", "FolderLink"};
        QTest::newRow("parent") << int(EntryKind::Parent) << ".." << qint64(-1) << QDateTime()
                                << false << QStringList{"", "", "Cdup"};
    }

    void rowShowsWhatItIs()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QDateTime, time);
        QFETCH(bool, dayOnly);
        QFETCH(QStringList, shown);
        FileRow r;
        r.kind = EntryKind(kind);
        r.text = name;
        r.size = size;
        r.time = time;
        r.dayOnly = dayOnly;
        FileListModel m({"名称", "大小", "日期", "权限"});
        QAbstractItemModelTester tester(&m);
        m.fill({}, {r});
        const QStringList texts = {m.data(m.index(0, 1), Qt::DisplayRole).toString(),
                                   m.data(m.index(0, 2), Qt::DisplayRole).toString(),
                                   m.data(m.index(0, 0), FileListModel::IconKeyRole).toString()};
        QCOMPARE(texts, shown);
    }

    // A queue record shows its outcome, paths, size, direction and host in
    // the queue's columns, and no picture.
    void recordShowsItsFields()
    {
        FileListModel m({"状态", "本地", "大小", "方向", "远程", "主机"},
                        FileListModel::recordFields());
        FileRow r;
        r.kind = EntryKind::Record;
        r.text = "上传";
        r.size = 7;
        r.record = {"/l/a", "-->", "/r/a", "h"};
        m.fill({}, {r});
        QStringList texts;
        for (int c = 0; c < m.columnCount(); ++c)
            texts << m.data(m.index(0, c), Qt::DisplayRole).toString();
        QCOMPARE(texts, QStringList({"上传", "/l/a", "7", "-->", "/r/a", "h"}));
        QVERIFY(m.data(m.index(0, 0), Qt::DecorationRole).isNull());
    }

    void sortComparesTextNotNumbers()
    {
        FileListModel m({"名称", "大小"});
        m.fill({}, {file("x", 20), file("y", 100), file("z", 9)});
        m.setSortColumn(1);
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"y", "x", "z"}));
        m.setSortOrder(Qt::DescendingOrder);
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"z", "x", "y"}));
    }

    // A renamed row sorts by its new name, however often the rows were
    // sorted before.
    void aRenamedRowSortsByItsNewName()
    {
        FileListModel m({"名称"});
        m.fill({}, {file("b"), file("a"), file("c")});
        m.setSorted(true);
        m.setText(0, "zz");
        m.setSorted(true);
        QCOMPARE(texts(m), QStringList({"b", "c", "zz"}));
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

    void foldersFirstRebuildsTheParentRow()
    {
        FileListModel m({"名称", "大小"});
        QAbstractItemModelTester tester(&m);
        FileRow link = file("lnk");
        link.kind = EntryKind::FolderLink;
        m.fill({}, {file("b"), folder("d2"), link, folder("d1"), file("a")});
        m.foldersFirst();
        QCOMPARE(texts(m), QStringList({"..", "d2", "d1", "b", "lnk", "a"}));
        QCOMPARE(m.findParent(), 0);
        QVERIFY(m.row(0).tag.isEmpty());
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
