#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/Twips.h"

#include <QHeaderView>
#include <QTreeView>
#include <QtTest>

namespace {
const QStringList localHeaders = {"名称", "大小", "日期"};
const QList<int> localWidths = {1600, 1000, 1440};
const QStringList queueHeaders = {"状态", "本地", "大小", "方向", "远程", "主机"};
const QList<int> queueWidths = {1000, 3000, 1000, 600, 3000, 1600};

FileRow rowWith(int column, const QString &text)
{
    FileRow r;
    r.text = QStringLiteral("entry");
    r.iconKey = QStringLiteral("File");
    if (column == 0)
        r.text = text;
    else
        r.setSubItem(column, text);
    return r;
}

// The width the view itself would give the column to show every row
// uncut, as a double-click on the header divider does.
int contentWidth(QTreeView *report, int column)
{
    report->header()->setResizeContentsPrecision(-1); // every row, not a sample
    return static_cast<QAbstractItemView *>(report)->sizeHintForColumn(column);
}
} // namespace

// After a fill, new rows or changed texts, the sizes, dates and the queue's
// paths are shown uncut; never narrower than designed, never wider than a
// cap, and a width the user set stays.
class TestColumnWidths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsShowTheirContent_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("designedTwips");
        QTest::addColumn<QList<int>>("fitted");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("otherRows"); // rows with shorter texts around it
        QTest::addColumn<QString>("arrival");
        QTest::addColumn<int>("userWidth"); // pixels the user dragged to; 0: none
        QTest::addColumn<QString>("expected");

        const QList<int> sizeAndDate = {1, 2};
        const QList<int> queuePaths = {1, 2, 4};
        const QString path = "/home/用户/下载/季度报告/最终版本/report-final.xlsx";
        QTest::newRow("3 GiB size after a fill") << localHeaders << localWidths << sizeAndDate << 1
                                                 << "3221225472" << 3 << "fill" << 0 << "uncut";
        QTest::newRow("long date after a fill")
            << localHeaders << localWidths << sizeAndDate << 2 << "2026-12-08 12:34" << 3 << "fill"
            << 0 << "uncut";
        QTest::newRow("3 GiB size among 5 000 smaller")
            << localHeaders << localWidths << sizeAndDate << 1 << "3221225472" << 5000 << "fill"
            << 0 << "uncut";
        QTest::newRow("short sizes keep the designed width")
            << localHeaders << localWidths << sizeAndDate << 1 << "9" << 3 << "fill" << 0
            << "designed";
        QTest::newRow("a column not fitted keeps its width")
            << localHeaders << localWidths << sizeAndDate << 0 << path << 3 << "fill" << 0
            << "designed";
        QTest::newRow("the user's width stays") << localHeaders << localWidths << sizeAndDate << 1
                                                << "3221225472" << 3 << "fill" << 30 << "user";
        QTest::newRow("queue path in a new row") << queueHeaders << queueWidths << queuePaths << 4
                                                 << path << 3 << "addRow" << 0 << "uncut";
        QTest::newRow("queue path set after its row")
            << queueHeaders << queueWidths << queuePaths << 1 << path << 3 << "setSubItem" << 0
            << "uncut";
        QTest::newRow("queue size set after its row")
            << queueHeaders << queueWidths << queuePaths << 2 << "3221225472" << 3 << "setSubItem"
            << 0 << "uncut";
        QTest::newRow("an overlong path stops at the cap")
            << queueHeaders << queueWidths << queuePaths << 4 << path.repeated(8) << 3 << "fill"
            << 0 << "capped";
    }

    void columnsShowTheirContent()
    {
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, designedTwips);
        QFETCH(QList<int>, fitted);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(int, otherRows);
        QFETCH(QString, arrival);
        QFETCH(int, userWidth);
        QFETCH(QString, expected);

        FileListModel model(headers);
        FileListView view(&model);
        view.setColumnWidthsTwips(designedTwips);
        view.setFittedColumns(fitted);
        view.resize(1200, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTreeView *report = view.reportView();
        const int designed = twipsToPixelsX(designedTwips.at(column), &view);
        QCOMPARE(report->columnWidth(column), designed);
        if (userWidth > 0)
            report->header()->resizeSection(column, userWidth); // as a drag on the divider

        QVector<FileRow> rows;
        for (int i = 0; i < otherRows; ++i)
            rows.append(rowWith(column, value.left(1 + i % std::max<int>(value.size() - 1, 1))));
        if (arrival == QLatin1String("fill")) {
            rows.insert(rows.size() / 2, rowWith(column, value));
            model.fill({}, rows);
        } else {
            model.fill({}, rows);
            if (arrival == QLatin1String("addRow")) {
                model.addRow(rowWith(column, value));
            } else {
                const int added = model.addRow(rowWith(column, QString()));
                model.setSubItem(added, column, value);
            }
        }

        const int width = report->columnWidth(column);
        const int needed = contentWidth(report, column);
        if (expected == QLatin1String("uncut")) {
            QVERIFY2(needed > designed, "the value would fit the designed width anyway");
            QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
        } else if (expected == QLatin1String("designed")) {
            QCOMPARE(width, designed);
        } else if (expected == QLatin1String("user")) {
            QCOMPARE(width, userWidth);
        } else {
            QVERIFY(width > designed);
            QVERIFY(width < needed);
            QVERIFY(width < view.width());
        }
    }

    // A view filled before its columns were chosen fits them at once; a
    // second fill with shorter values leaves the widened column as it is.
    void fittingIsWideningOnly()
    {
        FileListModel model(localHeaders);
        FileListView view(&model);
        view.setColumnWidthsTwips(localWidths);
        model.fill({}, {rowWith(1, "3221225472")});
        const int designed = view.reportView()->columnWidth(1);
        view.setFittedColumns({1});
        const int widened = view.reportView()->columnWidth(1);
        QVERIFY(widened > designed);
        model.fill({}, {rowWith(1, "9")});
        QCOMPARE(view.reportView()->columnWidth(1), widened);
    }
};

QTEST_MAIN(TestColumnWidths)
#include "tst_columnwidths.moc"
