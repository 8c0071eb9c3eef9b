#include "PaneTestSupport.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/PaneCaption.h"
#include "platform/SessionLog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {
QPoint rowCenter(const LocalPaneRig &rig, const QString &text)
{
    return rig.lvwLocal->reportView()->visualRect(rig.model->index(rig.rowOf(text), 0)).center();
}

// Through the window system, as a real double-click arrives: press, release,
// press, double-click, release.
void doubleClick(LocalPaneRig &rig, const QString &text)
{
    QWidget *viewport = rig.lvwLocal->reportView()->viewport();
    QTest::mouseDClick(rig.windowHandle(), Qt::LeftButton, {},
                       viewport->mapTo(&rig, rowCenter(rig, text)));
}

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}
} // namespace

class TestLocalPane : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString top;  // as the drive list gives it, without the separator
    QString root; // normalised

    void open(LocalPaneRig &rig, const QString &text, bool byDoubleClick)
    {
        rig.select(text);
        rig.pane->OpenSelectedRow(byDoubleClick);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        top = tmp.path();
        root = top + QLatin1Char('/');
        QVERIFY(QDir(root).mkpath("a/b"));
        QVERIFY(QDir(root).mkpath("photos [2019]/day one"));
        QVERIFY(makeFile(root + "a/in_a.txt"));
        QVERIFY(makeFile(root + "a/b/deep.txt"));
        QVERIFY(makeFile(root + "run.me", 10));
    }

    void navigationRecordsEachDirectoryOnce()
    {
        LocalPaneRig rig({"/", top, "/mnt/usb [USB STICK]"});
        rig.pane->FillDriveList();
        QCOMPARE(rig.history(), QStringList({"/", root, "/mnt/usb/"}));
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        QCOMPARE(rig.texts(), QStringList({"..", "a", "photos [2019]", "run.me"}));

        QSignalSpy resets(rig.model, &QAbstractItemModel::modelReset);
        open(rig, "a", true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QCOMPARE(resets.count(), 1); // not listed again by the folder box
        open(rig, "b", false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");
        open(rig, "..", true);
        open(rig, "b", true);
        open(rig, "..", false);
        open(rig, "..", false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        QCOMPARE(rig.history(), QStringList({"/", root, "/mnt/usb/", root + "a/", root + "a/b/"}));

        // Typing lists at once and records nothing; opening from there
        // builds the path with the separator.
        rig.cmbLocalDir->setEditText(root + "a");
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QCOMPARE(rig.history().size(), 5);
        open(rig, "b", false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");

        // A folder that carries brackets in its name opens as itself.
        rig.cmbLocalDir->setEditText(top);
        open(rig, "photos [2019]", true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "photos [2019]/");
        QCOMPARE(rig.texts(), QStringList({"..", "day one"}));

        // Up from the root stays there and adds nothing.
        rig.cmbLocalDir->setEditText(QStringLiteral("/"));
        open(rig, "..", true);
        QCOMPARE(rig.cmbLocalDir->currentText(), QStringLiteral("/"));
        QCOMPARE(rig.history().size(), 6);
        QVERIFY(rig.pane->LocalDirInHistory(root + "a/b/"));
        QVERIFY(!rig.pane->LocalDirInHistory(root + "A/b/"));
    }

    // A drive whose folder carries brackets is kept as it is; text typed
    // into the box stays as typed, not completed from the history.
    void folderBoxHoldsDrivesAndTypingAsTheyAre()
    {
        const QString mount = root + "photos [2019]";
        LocalPaneRig rig({"/", mount});
        rig.pane->FillDriveList();
        QCOMPARE(rig.history(), QStringList({"/", mount + "/"}));
        QCOMPARE(rig.texts(), QStringList({"..", "day one"}));

        // A relative text names no folder yet: the list stays.
        rig.cmbLocalDir->setEditText(QStringLiteral("a"));
        QCOMPARE(rig.texts(), QStringList({"..", "day one"}));
        QCOMPARE(rig.pane->shownDirectory(), mount + "/");

        rig.cmbLocalDir->lineEdit()->clear();
        QTest::keyClicks(rig.cmbLocalDir->lineEdit(), root + "pho");
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "pho");
    }

    void singleDriveListsTheRoot()
    {
        LocalPaneRig rig({"/"});
        rig.pane->FillDriveList();
        QCOMPARE(rig.cmbLocalDir->currentText(), QString());
        QVERIFY(rig.model->rowCount() > 1);
        QCOMPARE(rig.model->row(1).tag, QStringLiteral("/") + rig.model->row(1).text);
    }

    void filesRunOnDoubleClickOnly()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        open(rig, "run.me", false);
        QVERIFY(rig.shell.calls.isEmpty());
        QCOMPARE(rig.cmbLocalDir->currentText(), root);

        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.shell.calls.size(), 1);
        QCOMPARE(rig.shell.calls.at(0).what + rig.shell.calls.at(0).target,
                 "openFile" + root + "run.me");
        QCOMPARE(rig.history().size(), 2);
        QVERIFY(rig.context.log.text().isEmpty());

        rig.shell.result = false;
        open(rig, "run.me", true);
        QVERIFY(rig.context.log.text().contains(root + "run.me"));
        QVERIFY(rig.context.log.text().endsWith(QStringLiteral("\r\n")));

        rig.lvwLocal->clearSelection();
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.shell.calls.size(), 2);
    }

    void mouseKeysAndABusySession()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        QTreeView *report = rig.lvwLocal->reportView();
        QWidget *header = report->header()->viewport();

        doubleClick(rig, "a");
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");
        rig.select("b");
        report->setFocus();
        QTest::keyClick(report, Qt::Key_Delete);
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QTest::keyClick(report, Qt::Key_Return);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");

        // While a command runs, the list's own commands wait; sorting does not.
        rig.context.gate.run([&] {
            doubleClick(rig, "..");
            QTest::keyClick(report, Qt::Key_Return);
            QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");
            QTest::mouseClick(report->viewport(), Qt::LeftButton, {}, rowCenter(rig, ".."));
            QVERIFY(!rig.commands.mnuRename->isEnabled());
            QTest::mouseClick(report->viewport(), Qt::RightButton, {}, rowCenter(rig, ".."));
            QVERIFY(!rig.commands.editMenu->isVisible());
            QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(5, header->height() / 2));
            QCOMPARE(rig.model->sortOrder(), Qt::DescendingOrder);
            QCOMPARE(rig.texts(), QStringList({"..", "deep.txt"}));
        });
        rig.select("deep.txt");
        QVERIFY(rig.commands.mnuRename->isEnabled());
    }

    void folderBoxChoiceListsTheEntry()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        open(rig, "a", true);
        // As a choice from the list arrives: the index changes, then the
        // combo box reports the activation.
        rig.cmbLocalDir->setCurrentIndex(1);
        Q_EMIT rig.cmbLocalDir->activated(1);
        QCOMPARE(rig.texts(), QStringList({"..", "a", "photos [2019]", "run.me"}));

        // Choosing the entry already shown lists it again.
        QCoreApplication::processEvents();
        QVERIFY(makeFile(root + "later.txt"));
        Q_EMIT rig.cmbLocalDir->activated(1);
        QVERIFY(QFile::remove(root + "later.txt"));
        QVERIFY(rig.texts().contains("later.txt"));
    }

    // What the rules are told of the selected row; the rules themselves
    // have their own table.
    void availabilityFollowsTheSelectedRow()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QCOMPARE(rig.pane->selectedRowKind(), RowKind::None);
        rig.select("a");
        QCOMPARE(rig.pane->selectedRowKind(), RowKind::Folder);
        QVERIFY(!rig.commands.mnuShow->isEnabled());
        rig.select("run.me");
        QCOMPARE(rig.pane->selectedRowKind(), RowKind::File);
        QVERIFY(rig.commands.mnuShow->isEnabled());
        rig.select("..");
        QCOMPARE(rig.pane->selectedRowKind(), RowKind::Parent);

        // A command whose feature is held back stays off whatever the row.
        rig.context.availability.hold({Cmd::Run});
        QVERIFY(!rig.commands.mnuRun->isEnabled());

        // Refresh lists the directory again; nothing is selected after it.
        QVERIFY(makeFile(root + "new.txt"));
        rig.pane->RefreshLocal();
        QVERIFY(QFile::remove(root + "new.txt"));
        QVERIFY(rig.texts().contains("new.txt"));
        QVERIFY(!rig.commands.mnuRename->isEnabled());
    }

    void focusShowsTheActivePane()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        const Commands &c = rig.commands;
        rig.lvwLocal->setViewMode(FileListView::ListMode);
        rig.state.RemoteHasFocus = true;
        c.mnuProperty->setVisible(false);
        c.mnuUpDown->setText(QStringLiteral("下载(&D)"));
        c.button("上传")->setEnabled(false);
        const QColor normal = PaneCaptionColor(rig.fraLocal);
        rig.select("run.me");

        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        QVERIFY(rig.state.LocalHasFocus && !rig.state.RemoteHasFocus && !rig.state.QueueHasFocus);
        QCOMPARE(PaneCaptionColor(rig.fraLocal), QColor(0, 0, 255));
        QVERIFY(!c.button("下载")->isEnabled() && c.button("上传")->isEnabled());
        QCOMPARE(c.mnuUpDown->text(), QStringLiteral("上传(&U)"));
        QVERIFY(c.mnuProperty->isVisible());
        QVERIFY(c.mnuViewList->isChecked() && !c.mnuViewReport->isChecked());
        for (QAction *a : {c.mnuEdit, c.mnuUpDown, c.mnuMakeDir, c.mnuRename, c.mnuDel,
                           c.mnuRefresh, c.mnuShow, c.mnuRun, c.mnuViewList, c.mnuViewReport})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));

        rig.elsewhere->setFocus(Qt::TabFocusReason);
        QVERIFY(!rig.state.LocalHasFocus);
        QCOMPARE(PaneCaptionColor(rig.fraLocal), normal);
        for (QAction *a : {c.mnuEdit, c.mnuViewList, c.mnuViewReport, c.mnuUpDown})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

        rig.lvwLocal->setViewMode(FileListView::ReportMode);
        rig.context.availability.hold({Cmd::UpDown});
        rig.lvwLocal->setFocus(Qt::TabFocusReason);
        QVERIFY(!c.mnuViewList->isChecked() && c.mnuViewReport->isChecked());
        QVERIFY(!c.mnuUpDown->isEnabled()); // held back, even with the focus
    }

    void menuEditorAndOtherWindowsKeepThePaneActive()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        const Commands &c = rig.commands;
        QWidget *viewport = rig.lvwLocal->reportView()->viewport();
        QSignalSpy visits(rig.lvwLocal, &FileListView::gotFocus);

        // Right-click below the rows: availability for no row, then the menu.
        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(10, viewport->height() - 5));
        QVERIFY(c.editMenu->isVisible());
        QCOMPARE(c.editMenu->defaultAction(), c.mnuRun);
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        c.editMenu->close();
        QTRY_VERIFY(!c.editMenu->isVisible());
        // The focus coming back from the menu is no new visit.
        QCOMPARE(rig.pane->selectedRowKind(), RowKind::None);
        QCOMPARE(visits.count(), 0);

        rig.model->setLabelEditHandler([](int, const QString &) { return false; });
        rig.lvwLocal->editRow(rig.rowOf("run.me"));
        QTRY_VERIFY(QApplication::focusWidget() != rig.lvwLocal->reportView());
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), rig.lvwLocal->reportView());
        QCOMPARE(visits.count(), 0);

        QWidget other;
        QVERIFY(activate(&other));
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        QVERIFY(activate(&rig));
        QCOMPARE(visits.count(), 0);

        // The focus moved on while the window was away: coming back into the
        // list later is a new visit.
        QVERIFY(activate(&other));
        rig.elsewhere->setFocus(Qt::OtherFocusReason);
        QVERIFY(activate(&rig));
        QTRY_VERIFY(!rig.state.LocalHasFocus);
        QCOMPARE(PaneCaptionColor(rig.fraLocal), rig.palette().color(QPalette::WindowText));
        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        QCOMPARE(visits.count(), 1);
    }
};

QTEST_MAIN(TestLocalPane)
#include "tst_localpane.moc"
