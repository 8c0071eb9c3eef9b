#include "AppTestSupport.h"
#include "app/CommandDispatch.h"
#include "app/MainLayout.h"
#include "app/PaneCommands.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalFolderWatcher.h"
#include "panes/LocalPane.h"
#include "platform/SessionLog.h"
#include "platform/Twips.h"
#include "remote/RemoteError.h"
#include "window/CommandIds.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <stdexcept>

namespace {
FileRow row(const QString &text)
{
    FileRow r;
    r.text = text;
    return r;
}

void fillRows(FileListView *view, int files)
{
    QVector<FileRow> rows{FileListModel::parentRow()};
    for (int i = 0; i < files; ++i)
        rows.append(row(QStringLiteral("f%1").arg(i)));
    view->model()->fill({}, rows);
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

void focusOnly(WindowState &state, bool local, bool remote, bool queue)
{
    state.LocalHasFocus = local;
    state.RemoteHasFocus = remote;
    state.QueueHasFocus = queue;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    void toolbarAndStatusBarCarryTheirKeysAndTips()
    {
        AppHarness h;
        MainWindow &w = h.start();
        auto *toolbar = w.findChild<QToolBar *>(QStringLiteral("tbToolBar"));
        QVERIFY(toolbar);
        QStringList buttons;
        for (const QAction *action : toolbar->actions()) {
            if (action->isSeparator()) {
                buttons << QStringLiteral("|");
                continue;
            }
            QCOMPARE(w.commands().button(action->text()), action);
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
            buttons << (action->toolTip() == action->text()
                            ? action->text()
                            : action->text() + QLatin1Char('/') + action->toolTip());
        }
        QCOMPARE(buttons.join(QLatin1Char(' ')),
                 QStringLiteral("站点管理 连接 重新连接 断开连接 | 下载 上传 | 停止操作 刷新 | "
                                "列表视图 详细资料 | 删除 重命名 新建文件夹 | 运行 查看 "
                                "属性/文件属性"));

        StatusPanels &status = *w.ui().sbStatusBar;
        QCOMPARE(status.objectName(), QStringLiteral("sbStatusBar"));
        QCOMPARE(status.keys(),
                 QStringList({"\"Progress\"", "Rate", "FileName", "FileSize", "Status"}));
        QStringList tips;
        for (const QString &key : status.keys())
            tips << status.panel(key)->toolTip();
        QCOMPARE(tips,
                 QStringList({"传输进度", "已传输大小", "传输文件名", "文件大小", "传输状态"}));
        QCOMPARE(status.panelText(StatusPanels::ProgressKey), QStringLiteral("状态"));
        QVERIFY(w.findChild<QProgressBar *>(QStringLiteral("Progress1")));
    }

    void panesHaveTheirCaptionsAndColumns()
    {
        AppHarness h;
        MainWindow &w = h.start();
        const MainWindowUi &ui = w.ui();
        QCOMPARE(ui.fraLocal->title(), QStringLiteral("本地视图"));
        QCOMPARE(ui.fraRemote->title(), QStringLiteral("远程视图"));
        QCOMPARE(ui.fraSta->title(), QStringLiteral("状态视图"));
        QCOMPARE(ui.lblLog->text(), QStringLiteral("Log"));
        QCOMPARE(ui.lvwLocal->model()->headers(), QStringList({"名称", "大小", "日期"}));
        QCOMPARE(ui.lvwRemote->model()->headers(), QStringList({"名称", "大小", "日期", "权限"}));
        QCOMPARE(ui.lvwStatus->model()->headers(),
                 QStringList({"状态", "本地", "大小", "方向", "远程", "主机"}));
        QVERIFY(ui.cmbLocalDir->isEditable());
        QCOMPARE(w.findChild<FileListView *>(QStringLiteral("lvwLocal")), ui.lvwLocal);
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("cmbRemoteDir")), ui.cmbRemoteDir);
    }

    void startsInItsInitialState()
    {
        AppHarness h;
        // The stored view mode is not read back: the panes start in details.
        h.settings->setValue(QStringLiteral("ViewMode"), QStringLiteral("2"));
        MainWindow &w = h.start();

        QCOMPARE(w.windowTitle(), QStringLiteral("Korvu"));
        QCOMPARE(w.size(), QSize(twipsToPixelsX(MainLayout::DesignedWidth, &w),
                                 twipsToPixelsY(MainLayout::DesignedHeight, &w)));
        QCOMPARE(w.ui().lvwLocal->viewMode(), FileListView::ReportMode);

        const WindowState &s = w.state();
        QVERIFY(s.LocalHasFocus && !s.RemoteHasFocus && !s.QueueHasFocus);
        QVERIFY(!s.ConnectionLost);
        QVERIFY(h.globals.gDialogCancelled);
        QVERIFY(h.globals.gScratchFile.startsWith(h.temp + QStringLiteral("/korvu-")));
        QVERIFY(h.globals.gScratchFile.endsWith(QStringLiteral("/KorvuScratchFile")));

        const Commands &c = w.commands();
        for (QAction *off : {c.mnuLogout, c.mnuRelogin, c.mnuViewList, c.mnuViewReport, c.mnuUpDown,
                             c.button(QStringLiteral("断开连接")),
                             c.button(QStringLiteral("重新连接")), c.mnuRename, c.mnuEditSelectAll})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QAction *on :
             {c.mnuExit, c.mnuLogin, c.mnuViewOptions, c.mnuHelpContents, c.mnuEmail,
              c.mnuHelpAbout, c.mnuRefresh, c.button(QStringLiteral("刷新")),
              c.button(QStringLiteral("列表视图")), c.button(QStringLiteral("详细资料"))})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QVERIFY(w.log().text().isEmpty());
    }

    void heldCommandsStayDisabled()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Commands &c = w.commands();
        w.context().availability.hold({Cmd::Rename, Cmd::RenameButton, Cmd::UpDown});
        const QList<QAction *> held = {c.mnuRename, c.button(QStringLiteral("重命名")),
                                       c.mnuUpDown};

        // Focus moves between the panes and a row is chosen in each: the
        // held commands stay off whatever the panes say; the others follow.
        w.ui().lvwStatus->setFocus();
        w.ui().lvwLocal->setFocus();
        QTRY_VERIFY(w.state().LocalHasFocus);
        w.ui().lvwLocal->selectRow(0);
        QVERIFY(c.mnuEditSelectAll->isEnabled() && c.mnuDel->isEnabled());
        for (QAction *action : held)
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        w.ui().lvwRemote->setFocus();
        QTRY_VERIFY(w.state().RemoteHasFocus);
        w.ui().lvwRemote->model()->fill({FileListModel::parentRow()});
        w.ui().lvwRemote->selectRow(0);
        QVERIFY(c.mnuEditSelectAll->isEnabled());
        for (QAction *action : held)
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    }

    void viewModeChangesOnlyTheActivePane()
    {
        AppHarness h;
        MainWindow &w = h.start();
        FileListView *local = w.ui().lvwLocal;
        FileListView *remote = w.ui().lvwRemote;
        Commands &c = w.commands();
        // The menu items are enabled by a pane's focus; the toolbar buttons
        // reach the same commands whatever the menu says.
        focusOnly(w.state(), true, false, false);
        w.dispatch().ButtonClick(QStringLiteral("列表视图"));
        QCOMPARE(local->viewMode(), FileListView::ListMode);
        QCOMPARE(remote->viewMode(), FileListView::ReportMode);
        QVERIFY(c.mnuViewList->isChecked() && !c.mnuViewReport->isChecked());

        focusOnly(w.state(), false, true, false);
        w.dispatch().ButtonClick(QStringLiteral("列表视图"));
        w.dispatch().ButtonClick(QStringLiteral("详细资料"));
        QCOMPARE(remote->viewMode(), FileListView::ReportMode);
        QCOMPARE(local->viewMode(), FileListView::ListMode);
        QVERIFY(!c.mnuViewList->isChecked() && c.mnuViewReport->isChecked());

        focusOnly(w.state(), false, false, true);
        w.dispatch().ButtonClick(QStringLiteral("列表视图"));
        QVERIFY(c.mnuViewList->isChecked() && !c.mnuViewReport->isChecked());
        QCOMPARE(local->viewMode(), FileListView::ListMode);
        QCOMPARE(remote->viewMode(), FileListView::ReportMode);
    }

    void selectAllLeavesTheParentRow()
    {
        AppHarness h;
        MainWindow &w = h.start();
        FileListView *local = w.ui().lvwLocal;
        FileListView *remote = w.ui().lvwRemote;
        fillRows(local, 4);
        fillRows(remote, 3);

        PaneCommands &commands = w.paneCommands();
        commands.mnuEditSelectAll_Click();
        QCOMPARE(local->selectedRows(), QList<int>({1, 2, 3, 4}));
        QVERIFY(remote->selectedRows().isEmpty());

        focusOnly(w.state(), false, true, false);
        commands.mnuEditSelectAll_Click();
        QCOMPARE(remote->selectedRows(), QList<int>({1, 2, 3}));

        // A pane holding only the parent row has nothing to select.
        fillRows(remote, 0);
        commands.mnuEditSelectAll_Click();
        QVERIFY(remote->selectedRows().isEmpty());
    }

    void queueFocusMakesTheQueueActive()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ui().lvwStatus->reportView()->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(w.state().QueueHasFocus);
        QVERIFY(!w.state().LocalHasFocus && !w.state().RemoteHasFocus);
    }

    void startsListingTheHomeFolderWithTheLocalPaneActive()
    {
        AppHarness h;
        QVERIFY(QDir(h.home).mkdir(QStringLiteral("docs")));
        QFile note(h.home + QStringLiteral("/note.txt"));
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.close();
        MainWindow &w = h.start();
        QCOMPARE(w.ui().cmbLocalDir->currentText(), h.home + QStringLiteral("/"));
        QStringList listed;
        for (const FileRow &r : w.ui().lvwLocal->model()->rows())
            listed << r.text;
        QCOMPARE(listed, QStringList({"..", "docs", "note.txt"}));

        // Shown, the local pane takes the focus and opens the view menu.
        const Commands &c = w.commands();
        QVERIFY(!c.mnuViewList->isEnabled());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(c.mnuViewList->isEnabled());
        QVERIFY(c.mnuViewReport->isChecked() && !c.mnuViewList->isChecked());
        QCOMPARE(c.mnuUpDown->text(), QStringLiteral("上传(&U)"));
        QVERIFY(c.mnuUpDown->isEnabled());
    }

    void keyboardMenuNavigationKeepsThePaneActive()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.commands().mnuViewList->isEnabled());
        // Alt alone takes the menu bar into keyboard mode; the menus then act
        // on the pane that was active.
        QTest::keyClick(w.ui().lvwLocal->reportView(), Qt::Key_Alt);
        QTRY_VERIFY(w.menuBar()->hasFocus());
        QVERIFY(w.state().LocalHasFocus);
        QVERIFY(w.commands().mnuViewList->isEnabled());
        QTest::keyClick(w.menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(w.ui().lvwLocal->reportView()->hasFocus());
        QVERIFY(w.state().LocalHasFocus);
        QVERIFY(w.commands().mnuEdit->isEnabled());
    }

    void refreshWithTheQueueActiveRefreshesTheLocalPane()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        FileListModel *local = w.ui().lvwLocal->model();
        QCOMPARE(local->rowCount(), 1);

        QFile added(h.home + QStringLiteral("/added.txt"));
        QVERIFY(added.open(QIODevice::WriteOnly));
        added.close();
        w.ui().lvwStatus->reportView()->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(w.state().QueueHasFocus);
        w.commands().button(QStringLiteral("刷新"))->trigger();
        QCOMPARE(local->rowCount(), 2);
        QCOMPARE(local->row(1).text, QStringLiteral("added.txt"));

        // With the remote pane active and no connection there is nothing to
        // list: the local pane is left alone and refreshing is switched off.
        QVERIFY(QFile::remove(h.home + QStringLiteral("/added.txt")));
        focusOnly(w.state(), false, true, false);
        w.commands().button(QStringLiteral("刷新"))->trigger();
        QCOMPARE(local->rowCount(), 2);
        QVERIFY(!w.commands().button(QStringLiteral("刷新"))->isEnabled());
        QVERIFY(!w.commands().mnuRefresh->isEnabled());
    }

    void helpOpensTheInstalledPages()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.commands().mnuHelpContents->trigger();
        QCOMPARE(h.shell.calls.size(), 1);
        QCOMPARE(h.shell.calls.at(0).what, QStringLiteral("openUrl"));
        QCOMPARE(QUrl(h.shell.calls.at(0).target).toLocalFile(),
                 h.programDir + QStringLiteral("/help/index.html"));

        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(h.shell.calls.size(), 2);

        // Without the pages the log says where they were looked for.
        QFile::remove(h.programDir + QStringLiteral("/help/index.html"));
        w.commands().mnuHelpContents->trigger();
        QCOMPARE(h.shell.calls.size(), 2);
        QVERIFY(w.log().text().contains(QStringLiteral("help/index.html")));
        QVERIFY(w.log().text().endsWith(QStringLiteral("\r\n")));
    }

    // F1 opens the page of the window it is pressed in, modal dialogs too.
    void f1OpensThePageOfItsWindow_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("page");
        QTest::newRow("options") << "mnuViewOptions"
                                 << "options.html";
        QTest::newRow("about") << "mnuHelpAbout"
                               << "about.html";
        QTest::newRow("site manager") << "mnuSit"
                                      << "connect.html";
        QTest::newRow("quick connect") << "mnuLogin"
                                       << "connect.html";
    }

    void f1OpensThePageOfItsWindow()
    {
        QFETCH(QString, command);
        QFETCH(QString, page);
        AppHarness h;
        for (const QString &name : {page, QStringLiteral("index.html")}) {
            QFile file(h.programDir + QStringLiteral("/help/") + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        MainWindow &w = h.start();
        QWidget *dialog = nullptr;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            poll.stop();
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_F1);
            dialog->close();
        });
        poll.start(10);
        w.findChild<QAction *>(command)->trigger();
        QVERIFY(dialog);
        QCOMPARE(h.shell.calls.size(), 1);
        QCOMPARE(QUrl(h.shell.calls.at(0).target).fileName(), page);
    }

    // Whatever a command throws ends in the log; the next command runs.
    void aFailingCommandIsLoggedAndTheGateReopens()
    {
        AppHarness h;
        MainWindow &w = h.start();
        CommandDispatch &d = w.dispatch();
        d.setHandler(w.commands().mnuEmail, [] { throw std::runtime_error("disk on fire"); });
        d.setHandler(w.commands().mnuHelpAbout, [] {
            throw RemoteError::refusal(RemoteErrorKind::Refused, 550, "550 No access");
        });
        w.commands().mnuEmail->trigger();
        w.commands().mnuHelpAbout->trigger();
        QCOMPARE(w.log().text(), QStringLiteral("disk on fire\r\n550 No access\r\n"));
        QVERIFY(!w.context().gate.busy());
        QVERIFY(w.commands().mnuEmail->isEnabled());
    }

    void mailOpensAMessageToSupport()
    {
        AppHarness h;
        MainWindow &w = h.start();
        h.shell.result = false; // a desktop without a mail program: nothing is shown
        w.commands().mnuEmail->trigger();
        QCOMPARE(h.shell.calls.size(), 1);
        QCOMPARE(h.shell.calls.at(0).target, QStringLiteral("mailto:korvu-support@example.org"));
        QVERIFY(w.log().text().isEmpty());
    }

    void exitWritesPlaceSizeAndLocalViewMode()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setGeometry(40, 30, 800, 600);
        // The remote pane's view is not what is stored.
        w.ui().lvwLocal->setViewMode(FileListView::ListMode);
        w.ui().lvwRemote->setViewMode(FileListView::ReportMode);
        QFile scratch(h.globals.gScratchFile);
        QVERIFY(scratch.open(QIODevice::WriteOnly));
        scratch.close();

        w.commands().mnuExit->trigger();
        QVERIFY(!w.isVisible());
        const QRect frame = w.frameGeometry();
        QCOMPARE(h.stored(QStringLiteral("MainLeft")),
                 QString::number(pixelsToTwipsX(frame.left(), &w)));
        QCOMPARE(h.stored(QStringLiteral("MainTop")),
                 QString::number(pixelsToTwipsY(frame.top(), &w)));
        QCOMPARE(h.stored(QStringLiteral("MainWidth")),
                 QString::number(pixelsToTwipsX(frame.width(), &w)));
        QCOMPARE(h.stored(QStringLiteral("MainHeight")),
                 QString::number(pixelsToTwipsY(frame.height(), &w)));
        QCOMPARE(h.stored(QStringLiteral("ViewMode")), QStringLiteral("2"));
        QVERIFY(!QFile::exists(h.globals.gScratchFile));
    }

    void minimizedExitKeepsTheStoredGeometry()
    {
        AppHarness h;
        h.settings->setValue(QStringLiteral("MainLeft"), QStringLiteral("111"));
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.isMinimized());
        w.close();
        QCOMPARE(h.stored(QStringLiteral("MainLeft")), QStringLiteral("111"));
        QCOMPARE(h.stored(QStringLiteral("MainTop")), QStringLiteral("<absent>"));
        QCOMPARE(h.stored(QStringLiteral("MainWidth")), QStringLiteral("<absent>"));
        QCOMPARE(h.stored(QStringLiteral("MainHeight")), QStringLiteral("<absent>"));
        QCOMPARE(h.stored(QStringLiteral("ViewMode")), QStringLiteral("3"));
    }

    // What the last exit stored ("MainLeft", "MainTop", "MainWidth",
    // "MainHeight" in twips; empty: absent) and where the window starts.
    void placeAndSizeComeBack_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("expected"); // "stored", "centred" (stored size), "designed"
        QTest::newRow("as left") << QStringList{"1500", "1200", "11000", "7000"} << "stored";
        QTest::newRow("off every screen")
            << QStringList{"200000", "1200", "11000", "7000"} << "centred";
        QTest::newRow("title bar above every screen")
            << QStringList{"1500", "-3000", "11000", "7000"} << "centred";
        QTest::newRow("no number") << QStringList{"1500", "12x", "11000", "7000"} << "designed";
        QTest::newRow("a value missing") << QStringList{"1500", "1200", "", "7000"} << "designed";
    }

    void placeAndSizeComeBack()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, expected);
        AppHarness h;
        const char *keys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
        for (int i = 0; i < 4; ++i)
            if (!stored[i].isEmpty())
                h.settings->setValue(QLatin1String(keys[i]), stored[i]);
        MainWindow &w = h.start();
        const QSize size(twipsToPixelsX(11000, &w), twipsToPixelsY(7000, &w));
        if (expected == QLatin1String("stored")) {
            QCOMPARE(w.geometry(),
                     QRect(QPoint(twipsToPixelsX(1500, &w), twipsToPixelsY(1200, &w)), size));
        } else if (expected == QLatin1String("centred")) {
            QCOMPARE(w.size(), size);
            const QPoint centre = w.screen()->availableGeometry().center();
            QVERIFY((w.geometry().center() - centre).manhattanLength() <= 2);
        } else {
            QCOMPARE(w.size(), QSize(twipsToPixelsX(MainLayout::DesignedWidth, &w),
                                     twipsToPixelsY(MainLayout::DesignedHeight, &w)));
        }
    }

    // The widths the user left come back at the next start and stay through
    // the listings; stored nonsense leaves the designed widths.
    void columnWidthsComeBack()
    {
        AppHarness h;
        MainWindow &first = h.start();
        first.ui().lvwLocal->reportView()->header()->resizeSection(1, 200);
        first.ui().lvwRemote->reportView()->header()->resizeSection(3, 30);
        first.commands().mnuExit->trigger();

        MainWindow &second = h.start();
        QString home = h.home;
        second.localPane().DoLocalRefresh(home);
        QCOMPARE(second.ui().lvwLocal->reportView()->columnWidth(1), 200);
        QCOMPARE(second.ui().lvwRemote->reportView()->columnWidth(3), 30);

        h.settings->setValue(QStringLiteral("LocalColumns"), QStringLiteral("x,99999,-4"));
        MainWindow &third = h.start();
        QCOMPARE(third.ui().lvwLocal->reportView()->columnWidth(1), twipsToPixelsX(1000, &third));
        QCOMPARE(third.ui().lvwLocal->reportView()->columnWidth(2), twipsToPixelsX(1440, &third));
    }

    // Another program changes the folder the local pane shows: one refill
    // follows, once the folder is quiet and no command runs, and the rows
    // chosen, the focused row and the scroll position stay.
    void theLocalPaneFollowsChangesMadeOutside_data()
    {
        QTest::addColumn<QStringList>("made"); // files made outside
        QTest::addColumn<QString>("removed");  // a file removed outside
        QTest::addColumn<bool>("busy");        // while a command runs
        QTest::newRow("a file made") << QStringList{"a-new.txt"} << "" << false;
        QStringList burst;
        for (int i = 0; i < 50; ++i)
            burst << QStringLiteral("b%1.txt").arg(i);
        QTest::newRow("a burst is one refill") << burst << "f00.txt" << false;
        QTest::newRow("a command runs: after it") << QStringList{"a-new.txt"} << "" << true;
    }

    void theLocalPaneFollowsChangesMadeOutside()
    {
        QFETCH(QStringList, made);
        QFETCH(QString, removed);
        QFETCH(bool, busy);
        AppHarness h;
        for (int i = 0; i < 80; ++i)
            QVERIFY(touch(h.home + QStringLiteral("/f%1.txt").arg(i, 2, 10, QLatin1Char('0'))));
        MainWindow &w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FileListView *pane = w.ui().lvwLocal;
        const FileListModel *model = pane->model();
        pane->selectRow(model->findText(QStringLiteral("f41.txt")));
        pane->setRowSelected(model->findText(QStringLiteral("f40.txt")), true);
        QScrollBar *scroll = pane->reportView()->verticalScrollBar();
        scroll->setValue(scroll->maximum() / 2);
        const int scrolled = scroll->value();
        QVERIFY(scrolled > 0);
        QSignalSpy refills(model, &QAbstractItemModel::modelReset);

        const auto change = [&] {
            for (const QString &name : made)
                QVERIFY(touch(h.home + QLatin1Char('/') + name));
            QVERIFY(removed.isEmpty() || QFile::remove(h.home + QLatin1Char('/') + removed));
        };
        if (busy)
            w.context().gate.run([&] {
                change();
                QTest::qWait(2 * LocalFolderWatcher::LongestWaitMs);
                QCOMPARE(refills.size(), 0);
            });
        else
            change();
        QTRY_COMPARE(refills.size(), 1);
        QTest::qWait(2 * LocalFolderWatcher::QuietMs);
        QCOMPARE(refills.size(), 1);

        for (const QString &name : made)
            QVERIFY2(model->findText(name) > 0, qPrintable(name));
        QVERIFY(removed.isEmpty() || model->findText(removed) < 0);
        const int f41 = model->findText(QStringLiteral("f41.txt"));
        QCOMPARE(pane->selectedRows(), QList<int>({f41 - 1, f41}));
        QCOMPARE(pane->focusedRow(), f41);
        QCOMPARE(scroll->value(), scrolled);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
