#include "panes/FileListModel.h"
#include "panes/FileListView.h"

#include <QListView>
#include <QtTest>

namespace {
FileRow named(const QString &text)
{
    FileRow r;
    r.text = text;
    r.iconKey = QStringLiteral("File");
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
};

QTEST_MAIN(TestListMode)
#include "tst_listmode.moc"
