#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/Twips.h"

#include <QHeaderView>
#include <QListView>
#include <QTreeView>
#include <QtTest>

namespace {
FileRow named(const QString &text)
{
    FileRow r;
    r.text = text;
    return r;
}

// A row whose cell in `column` (name, size, date, remote path) shows `text`;
// a shorter date than a whole one leaves the date unknown.
FileRow withCell(int column, const QString &text)
{
    FileRow r = named(QStringLiteral("x"));
    if (column == 0)
        r.text = text;
    else if (column == 1)
        r.size = text.toLongLong();
    else if (column == 2)
        r.time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
    else
        r.record = {QString(), QString(), text};
    return r;
}

// Whether the list view gives the row room for its whole name.
bool shownInFull(const FileListView &view, int row)
{
    const QListView *list = view.listView();
    const QString text = view.model()->row(row).text;
    const QRect cell = list->visualRect(view.model()->index(row, 0));
    return cell.width() >= list->fontMetrics().horizontalAdvance(text) + list->iconSize().width();
}
} // namespace

class TestListMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNameIsShownInFull()
    {
        FileListModel model({QStringLiteral("名称")});
        FileListView view(&model);
        view.resize(900, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        model.fill({FileListModel::parentRow(), named(QStringLiteral("korvu"))},
                   {named(QStringLiteral("b.txt"))});
        view.setViewMode(FileListView::ListMode);
        for (int r = 0; r < model.rowCount(); ++r)
            QVERIFY2(shownInFull(view, r), qPrintable(model.row(r).text));

        // Longer names arriving later widen the columns: a new listing, a
        // new row, a renamed row.
        model.fill({FileListModel::parentRow()}, {named(QStringLiteral("一个很长的文件夹名字"))});
        QVERIFY(shownInFull(view, 1));
        model.setSorted(false);
        const int added = model.addRow(named(QStringLiteral("quarterly-report-final-v2.xlsx")));
        QVERIFY(shownInFull(view, added));
        model.setText(0, QStringLiteral("renamed-to-something-much-longer-still.txt"));
        QVERIFY(shownInFull(view, 0));

        // A name wider than the pane is cut at the pane's width.
        model.fill({}, {named(QString(400, QLatin1Char('x')))});
        QVERIFY(view.listView()->visualRect(model.index(0, 0)).width() <=
                view.listView()->viewport()->width());
    }

    // In the report view the fitted columns widen to their widest text.
    void fittedColumnsShowTheirContent_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("otherRows"); // with shorter texts
        QTest::addColumn<QString>("arrival");
        QTest::addColumn<int>("userWidth"); // dragged to before the fill; 0: none
        QTest::addColumn<QString>("expected");
        const QString path = "/home/用户/下载/季度报告/最终版本/report-final.xlsx";
        QTest::newRow("long date") << 2 << "2026-12-08 12:34" << 3 << "fill" << 0 << "uncut";
        QTest::newRow("3 GiB among 5 000") << 1 << "3221225472" << 5000 << "fill" << 0 << "uncut";
        QTest::newRow("new row") << 3 << path << 3 << "addRow" << 0 << "uncut";
        QTest::newRow("short") << 1 << "9" << 3 << "fill" << 0 << "designed";
        QTest::newRow("not fitted") << 0 << path << 3 << "fill" << 0 << "designed";
        QTest::newRow("user's width") << 1 << "3221225472" << 3 << "fill" << 30 << "user";
        QTest::newRow("capped") << 3 << path.repeated(8) << 3 << "fill" << 0 << "capped";
    }

    void fittedColumnsShowTheirContent()
    {
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(int, otherRows);
        QFETCH(QString, arrival);
        QFETCH(int, userWidth);
        QFETCH(QString, expected);
        FileListModel model({"名称", "大小", "日期", "远程"},
                            {RowField::Name, RowField::Size, RowField::Date, RowField::Remote});
        FileListView view(&model);
        const QList<int> designedTwips = {1600, 1000, 1440, 3000};
        view.setColumnWidthsTwips(designedTwips);
        view.setFittedColumns({1, 2, 3});
        view.resize(1200, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTreeView *report = view.reportView();
        if (userWidth > 0)
            report->header()->resizeSection(column, userWidth); // as a drag does

        QVector<FileRow> rows;
        for (int i = 0; i < otherRows; ++i)
            rows.append(withCell(column, value.left(1 + i % 3)));
        if (arrival == "fill")
            rows.insert(rows.size() / 2, withCell(column, value));
        model.fill({}, rows);
        if (arrival == "addRow")
            model.addRow(withCell(column, value));

        // What the view itself asks for the column, as a double-click on the
        // header's divider does, over every row.
        report->header()->setResizeContentsPrecision(-1);
        const int needed = static_cast<QAbstractItemView *>(report)->sizeHintForColumn(column);
        const int designed = twipsToPixelsX(designedTwips.at(column), &view);
        const int width = report->columnWidth(column);
        if (expected == "uncut") {
            QVERIFY2(needed > designed, "cut at the designed width");
            QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
        } else if (expected == "designed") {
            QCOMPARE(width, designed);
        } else if (expected == "user") {
            QCOMPARE(width, userWidth);
        } else {
            QVERIFY(width > designed && width < needed);
        }
    }
};

QTEST_MAIN(TestListMode)
#include "tst_listmode.moc"
