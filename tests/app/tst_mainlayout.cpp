#include "AppTestSupport.h"
#include "app/MainLayout.h"
#include "panes/FileListView.h"
#include "platform/Twips.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QtTest>

namespace {
int twipsWidth(const QWidget *widget)
{
    return pixelsToTwipsX(widget->width(), widget);
}

// Drags imgSplitter with the mouse from its middle to window position x
// (twips); returns the bar's position just before the release.
int dragSplitterTo(MainWindow &w, int x)
{
    QWidget *grip = w.ui().imgSplitter;
    const QPoint start(grip->width() / 2, grip->height() / 2);
    QTest::mousePress(grip, Qt::LeftButton, {}, start);
    const int dx = twipsToPixelsX(x, grip) - grip->x();
    QTest::mouseMove(grip, QPoint(dx, start.y()));
    const int bar = w.mainLayout().barLeft();
    QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(dx, start.y()));
    return bar;
}
} // namespace

class TestMainLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitterBounds()
    {
        QCOMPARE(MainLayout::clampSplitter(700, 12000), 2000);
        QCOMPARE(MainLayout::clampSplitter(12000 - 600, 12000), 12000 - 2000);
        QCOMPARE(MainLayout::clampSplitter(5000, 12000), 5000);
        // Too narrow for both bounds: the right one wins.
        QCOMPARE(MainLayout::clampSplitter(100, 3000), 1000);
        QCOMPARE(MainLayout::dragBarLeft(100, 12000), 500);
        QCOMPARE(MainLayout::dragBarLeft(11800, 12000), 11500);
        QCOMPARE(MainLayout::dragBarLeft(1200, 12000), 1200);
    }

    void draggingMovesOnlyTheBarUntilRelease()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        MainLayout &layout = w.mainLayout();
        QWidget *grip = w.ui().imgSplitter;
        QCOMPARE(grip->cursor().shape(), Qt::SplitHCursor);
        const int localWidth = w.ui().fraLocal->width();

        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 10));
        QVERIFY(w.state().SplitterMoving);
        QVERIFY(w.ui().picSplitter->isVisible());
        QTest::mouseMove(grip, QPoint(-twipsToPixelsX(2000, grip), 10));
        QCOMPARE(w.ui().fraLocal->width(), localWidth);
        QVERIFY(layout.barLeft() < layout.splitterLeft());
        QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(-twipsToPixelsX(2000, grip), 10));
        QVERIFY(!w.state().SplitterMoving);
        QVERIFY(!w.ui().picSplitter->isVisible());
        QVERIFY(w.ui().fraLocal->width() < localWidth);
        QCOMPARE(twipsWidth(w.ui().fraLocal), layout.splitterLeft());
    }

    void releaseNearAnEdgeIsPulledBack()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        MainLayout &layout = w.mainLayout();
        const int width = layout.windowWidth();

        const int nearLeft = dragSplitterTo(w, 700);
        QVERIFY(qAbs(nearLeft - 700) < 40);
        QCOMPARE(layout.splitterLeft(), 2000);

        const int nearRight = dragSplitterTo(w, width - 600);
        QVERIFY(qAbs(nearRight - (width - 600)) < 40);
        QCOMPARE(layout.splitterLeft(), width - 2000);

        // While dragging the bar stops 500 from the edges.
        QCOMPARE(dragSplitterTo(w, 100), 500);
        QCOMPARE(dragSplitterTo(w, width + 3000), width - 500);
    }

    void growingTheWindowKeepsTheLocalWidth()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int localWidth = w.ui().fraLocal->width();
        const int remoteWidth = w.ui().fraRemote->width();
        const int logWidth = w.ui().txtLog->width();
        w.resize(w.width() + 200, w.height() + 100);
        QTRY_COMPARE(w.ui().fraRemote->width(), remoteWidth + 200);
        QCOMPARE(w.ui().fraLocal->width(), localWidth);
        QCOMPARE(w.ui().txtLog->width(), logWidth + 200);
        QCOMPARE(w.ui().lvwStatus->width(), w.ui().txtLog->width());
        // The file frames and the status frame share the height.
        QCOMPARE(w.ui().fraLocal->height(), w.ui().fraRemote->height());
        QVERIFY(w.ui().fraLocal->geometry().bottom() < w.ui().fraSta->y());
        QCOMPARE(w.ui().fraSta->geometry().bottom(), w.ui().area->height() - 1);
    }

    void aMinimumWindowKeepsBothPanes()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(100, 100);
        QTRY_COMPARE(w.size(), QSize(twipsToPixelsX(MainLayout::MinWindowWidth, &w),
                                     twipsToPixelsY(MainLayout::MinWindowHeight, &w)));
        MainLayout &layout = w.mainLayout();
        QVERIFY(qAbs(layout.windowWidth() - MainLayout::MinWindowWidth) < 20);
        for (int start : {0, 1000, 2000, 5000, 8000, 9000, 10000, 20000}) {
            int x = start;
            layout.SizeControls(x);
            QVERIFY2(x >= 2000 && x <= layout.windowWidth() - 2000, qPrintable(QString::number(x)));
            QCOMPARE(layout.splitterLeft(), x);
            QVERIFY(w.ui().fraRemote->width() > 0);
            QVERIFY(w.ui().lvwLocal->height() > 0);
        }
    }

    // Dragged up, the grip above the status frame gives the queue and the
    // log the height the file panes give up; never all of it, and never less
    // than designed. The name column takes what the other columns leave.
    void statusSplitterAndNameColumnShareTheSpace()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const MainWindowUi &ui = w.ui();
        QWidget *grip = ui.imgStatusSplitter;
        const int queue = ui.lvwStatus->height();
        const int log = ui.txtLog->height();
        const int files = ui.lvwLocal->height();
        const auto drag = [grip](int dy) {
            const QPoint start(grip->width() / 2, grip->height() / 2);
            QTest::mousePress(grip, Qt::LeftButton, {}, start);
            QTest::mouseMove(grip, start + QPoint(0, dy));
            QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(0, dy));
        };
        drag(-60);
        QVERIFY(ui.lvwStatus->height() > queue && ui.txtLog->height() > log);
        QVERIFY(qAbs(ui.lvwStatus->height() + ui.txtLog->height() - queue - log - 60) <= 2);
        QVERIFY(qAbs(files - ui.lvwLocal->height() - 60) <= 2);
        drag(-5000);
        QVERIFY(ui.lvwLocal->height() >= twipsToPixelsY(1200, &w) - 1);
        drag(5000);
        QCOMPARE(ui.lvwStatus->height() + ui.txtLog->height(), queue + log);

        QTreeView *report = ui.lvwRemote->reportView();
        for (int wider : {0, 120}) {
            w.resize(w.width() + wider, w.height());
            int columns = 0;
            for (int column = 0; column < report->header()->count(); ++column)
                columns += report->columnWidth(column);
            QTRY_COMPARE(columns, report->viewport()->width());
        }
    }

    void minimizedWindowIsLaidOutWhenRestored()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int remoteWidth = w.ui().fraRemote->width();
        w.setWindowState(Qt::WindowMinimized);
        w.resize(w.width() + 150, w.height());
        QTest::qWait(50);
        QCOMPARE(w.ui().fraRemote->width(), remoteWidth);
        w.setWindowState(Qt::WindowNoState);
        QTRY_COMPARE(w.ui().fraRemote->width(), remoteWidth + 150);
    }
};

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
