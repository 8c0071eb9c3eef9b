#include "panes/FileListModel.h"
#include "panes/FileListView.h"

#include <QApplication>
#include <QTreeView>
#include <QtTest>

// The mouse on a file pane, moved as a hand moves it: what a drag takes,
// what a click leaves selected, which row a double-click opens.
class TestViewMouse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mouseSequences_data()
    {
        // With rows a, b and c selected, on row b: "press" and "release" the
        // left button, "nudge" a pixel, "drag" past the drag distance;
        // "dbl:d" double-clicks row d.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("dragged");  // the selection as the drag began
        QTest::addColumn<QString>("opened");   // the row the double-click opened
        QTest::addColumn<QString>("selected"); // at the end
        QTest::newRow("drag") << "press nudge drag"
                              << "abc"
                              << ""
                              << "abc";
        QTest::newRow("click") << "press nudge release"
                               << ""
                               << ""
                               << "b";
        QTest::newRow("drag, its release seen") << "press nudge drag release"
                                                << "abc"
                                                << ""
                                                << "abc";
        QTest::newRow("drag, then a double-click") << "press nudge drag dbl:d"
                                                   << "abc"
                                                   << "d"
                                                   << "d";
    }

    void mouseSequences()
    {
        QFETCH(QString, steps);
        QFETCH(QString, dragged);
        QFETCH(QString, opened);
        QFETCH(QString, selected);
        FileListModel model({QStringLiteral("名称")});
        FileListView view(&model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVector<FileRow> rows(4);
        for (int r = 0; r < 4; ++r)
            rows[r].text = QChar('a' + r);
        model.fill({}, rows);
        for (int r : {0, 1, 2})
            view.setRowSelected(r, true);
        auto names = [&model](const QList<int> &rows) {
            QString out;
            for (int r : rows)
                out += model.row(r).text;
            return out;
        };
        QString seenDrag, seenOpen;
        // A drag runs its own event loop, which takes the button's release.
        connect(&view, &FileListView::dragRequested, &view, [&](bool *started) {
            seenDrag = names(view.selectedRows());
            *started = true;
        });
        connect(&view, &FileListView::doubleClicked, &view,
                [&] { seenOpen = names({view.selectedRow()}); });

        QWidget *viewport = view.reportView()->viewport();
        auto at = [&](int r) { return view.reportView()->visualRect(model.index(r, 0)).center(); };
        QPoint pointer = at(1);
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == "press") {
                QTest::mousePress(viewport, Qt::LeftButton, {}, pointer);
            } else if (step == "release") {
                QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointer);
            } else if (step == "nudge" || step == "drag") {
                pointer.rx() += step == "nudge" ? 1 : QApplication::startDragDistance() + 5;
                QTest::mouseMove(viewport, pointer);
            } else {
                const QPoint there = at(model.findText(step.mid(4)));
                QTest::mouseClick(viewport, Qt::LeftButton, {}, there);
                QTest::mouseDClick(viewport, Qt::LeftButton, {}, there);
            }
        }
        QCOMPARE(seenDrag, dragged);
        QCOMPARE(seenOpen, opened);
        QCOMPARE(names(view.selectedRows()), selected);
    }
};

QTEST_MAIN(TestViewMouse)
#include "tst_viewmouse.moc"
