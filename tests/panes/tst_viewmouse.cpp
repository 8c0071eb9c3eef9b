#include "panes/FileListModel.h"
#include "panes/FileListView.h"

#include <QApplication>
#include <QTreeView>
#include <QtTest>

namespace {
FileRow named(const QString &text)
{
    FileRow r;
    r.text = text;
    r.iconKey = QStringLiteral("File");
    return r;
}
} // namespace

// The mouse on a file pane, as a user's hand moves it: which rows a drag
// takes, which row a click leaves selected and which row a double-click
// opens.
class TestViewMouse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mouseSequences_data()
    {
        // Steps, separated by blanks: "sel:a,b" selects rows before the
        // mouse moves; "press:b" and "release:b" the left button on a row;
        // "nudge" moves a pixel; "drag" moves past the drag distance;
        // "dbl:b" double-clicks a row (press, release, press, release).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("dragged");  // the selection as the drag began; "-" no drag
        QTest::addColumn<QString>("opened");   // the row the double-click opened; "-" none
        QTest::addColumn<QString>("selected"); // at the end
        QTest::newRow("drag of a multi-selection from one of its rows")
            << "sel:a,b,c press:b nudge drag"
            << "a,b,c"
            << "-"
            << "a,b,c";
        QTest::newRow("click on a row of a multi-selection") << "sel:a,b,c press:b nudge release:b"
                                                             << "-"
                                                             << "-"
                                                             << "b";
        QTest::newRow("drag from a row outside the selection") << "sel:a,b press:d nudge drag"
                                                               << "d"
                                                               << "-"
                                                               << "d";
        QTest::newRow("drag whose release reaches the view")
            << "sel:a,b,c press:b nudge drag release:b"
            << "a,b,c"
            << "-"
            << "a,b,c";
        QTest::newRow("double-click after a drag that ate its release")
            << "sel:a,b,c press:b nudge drag dbl:d"
            << "a,b,c"
            << "d"
            << "d";
        QTest::newRow("double-click after a drag, on a row of it")
            << "sel:a,b,c press:b nudge drag dbl:c"
            << "a,b,c"
            << "c"
            << "c";
    }

    void mouseSequences()
    {
        QFETCH(QString, steps);
        QFETCH(QString, dragged);
        QFETCH(QString, opened);
        QFETCH(QString, selected);
        FileListModel model({QStringLiteral("名称")});
        FileListView view(&model);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        model.fill({}, {named("a"), named("b"), named("c"), named("d")});

        auto names = [&model](const QList<int> &rows) {
            QStringList out;
            for (int r : rows)
                out << model.row(r).text;
            return out.isEmpty() ? QStringLiteral("-") : out.join(QLatin1Char(','));
        };
        QString seenDrag = QStringLiteral("-");
        QString seenOpen = QStringLiteral("-");
        // A drag runs its own event loop that takes the button's release.
        connect(&view, &FileListView::dragRequested, &view, [&](bool *started) {
            seenDrag = names(view.selectedRows());
            *started = true;
        });
        connect(&view, &FileListView::doubleClicked, &view,
                [&] { seenOpen = names({view.selectedRow()}); });

        QWidget *viewport = view.reportView()->viewport();
        auto at = [&](const QString &name) {
            return view.reportView()->visualRect(model.index(model.findText(name), 0)).center();
        };
        QPoint pointer;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QString what = step.section(QLatin1Char(':'), 0, 0);
            const QString arg = step.section(QLatin1Char(':'), 1);
            if (what == "sel") {
                view.clearSelection();
                for (const QString &name : arg.split(QLatin1Char(',')))
                    view.setRowSelected(model.findText(name), true);
            } else if (what == "press") {
                pointer = at(arg);
                QTest::mousePress(viewport, Qt::LeftButton, {}, pointer);
            } else if (what == "release") {
                QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(arg));
            } else if (what == "nudge") {
                pointer += QPoint(1, 1);
                QTest::mouseMove(viewport, pointer);
            } else if (what == "drag") {
                pointer += QPoint(QApplication::startDragDistance() + 5, 0);
                QTest::mouseMove(viewport, pointer);
            } else if (what == "dbl") {
                // Later than a double-click of the press before the drag.
                QTest::qWait(QApplication::doubleClickInterval() + 50);
                QTest::mouseClick(viewport, Qt::LeftButton, {}, at(arg));
                QTest::mouseDClick(viewport, Qt::LeftButton, {}, at(arg));
            }
        }
        QCOMPARE(seenOpen, opened);
        QCOMPARE(seenDrag, dragged);
        QCOMPARE(names(view.selectedRows()), selected);
    }
};

QTEST_MAIN(TestViewMouse)
#include "tst_viewmouse.moc"
