#include "panes/FileListModel.h"
#include "panes/PaneSorting.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
// `size` and `permissions` -1, `date` "": none shown.
FileRow row(const char *name, EntryKind kind, qint64 size, const char *date, int permissions)
{
    FileRow r;
    r.text = QString::fromUtf8(name);
    r.kind = kind;
    r.size = size;
    r.time = QDateTime(QDate::fromString(QString::fromLatin1(date), Qt::ISODate), QTime(), Qt::UTC);
    r.dayOnly = true;
    r.permissions = permissions;
    return r;
}

// A remote-style listing as a fill leaves it: parent row and folders sorted
// by name, the files after them unsorted.
void fillListing(FileListModel &m)
{
    m.fill({FileListModel::parentRow(), row("src", EntryKind::Folder, -1, "2024-01-02", 755),
            row("Docs", EntryKind::Folder, -1, "2024-03-01", 700)},
           {row("b.txt", EntryKind::File, 20, "2024-02-01", 644),
            row("lnk", EntryKind::FolderLink, 9, "2024-01-01", 777),
            row("c.txt", EntryKind::File, 100, "2024-03-03", 640)});
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

    const QStringList headers = {"名称", "大小", "日期", "权限"};

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    // Whatever the locale: fills, header clicks and rows added to a sorted
    // list (the queue after a click) alike.
    void chineseNamesSortByPinyinAfterDigitsAndLatin_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("C") << "C" << QStringList({"软件", "图片", "文档", "音乐", "最新文档"});
        QTest::newRow("syllables") << "en_US" << QStringList({"张三", "中国", "中文", "周报"});
        QTest::newRow("mixed, C") << "C"
                                  << QStringList({"10", "2024报告", "readme", "Zeta", "图片"});
        QTest::newRow("mixed, zh_CN") << "zh_CN" << QStringList({"3.jpg", "Korvu", "安装", "说明"});
        QTest::newRow("after Chinese")
            << "de_DE" << QStringList({"文档", "文档2", "文档b", "文档图片"});
    }

    void chineseNamesSortByPinyinAfterDigitsAndLatin()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, sorted);
        QLocale::setDefault(QLocale(locale));
        const QStringList reversed(sorted.crbegin(), sorted.crend());
        QVector<FileRow> folders = {FileListModel::parentRow()};
        QVector<FileRow> files;
        for (const QString &name : reversed) {
            folders.append(row(name.toUtf8().constData(), EntryKind::Folder, -1, "", -1));
            files.append(row(name.toUtf8().constData(), EntryKind::File, -1, "", -1));
        }
        FileListModel m(headers);
        m.fill(folders);
        QCOMPARE(texts(m), QStringList("..") + sorted);
        m.fill({FileListModel::parentRow()}, files);
        SortByName(m);
        QCOMPARE(texts(m), QStringList("..") + sorted);
        SortByHeader(m, 0);
        QCOMPARE(texts(m), QStringList("..") + reversed);

        FileListModel queue(headers);
        queue.setSorted(true);
        for (const FileRow &file : std::as_const(files))
            queue.addRow(file);
        QCOMPARE(texts(queue), sorted);
    }

    void headerClicksToggleOnEveryColumnMove()
    {
        FileListModel m(headers);
        QAbstractItemModelTester tester(&m);
        fillListing(m);
        SortByHeader(m, 0); // was ascending
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "src", "Docs", "lnk", "c.txt", "b.txt"}));
        QVERIFY(!m.isSorted());

        SortByHeader(m, 2); // another column: toggles again
        QCOMPARE(m.sortColumn(), 2);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "src", "Docs", "lnk", "b.txt", "c.txt"}));

        // Sizes compare as text: "100" < "20" < "9".
        SortByHeader(m, 1);
        QCOMPARE(texts(m).mid(3), QStringList({"lnk", "b.txt", "c.txt"}));

        SortByName(m);
        QCOMPARE(m.sortColumn(), 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "Docs", "src", "b.txt", "c.txt", "lnk"}));
    }

    void permissionsColumnKeepsTheDirection()
    {
        FileListModel m(headers);
        fillListing(m);
        m.setSortOrder(Qt::DescendingOrder);
        SortByHeader(m, 3);
        SortByHeader(m, 3);
        QCOMPARE(m.sortColumn(), 3);
        QCOMPARE(m.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(texts(m), QStringList({"..", "src", "Docs", "lnk", "b.txt", "c.txt"}));
    }

    void fewerThanTwoRowsChangesNothing()
    {
        FileListModel m(headers);
        m.fill({FileListModel::parentRow()});
        QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
        QSignalSpy layout(&m, &QAbstractItemModel::layoutChanged);
        SortByHeader(m, 1);
        m.clear();
        SortByHeader(m, 2);
        QCOMPARE(m.sortColumn(), 0);
        QCOMPARE(m.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(reset.count() + layout.count(), 1); // the clear only
    }
};

QTEST_MAIN(TestPaneSorting)
#include "tst_panesorting.moc"
