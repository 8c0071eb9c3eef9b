#include "PaneTestSupport.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/PaneCaption.h"
#include "platform/SessionLog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {
struct Availability
{
    bool rename, del, selectAll, run, properties, view;
};

// The menu item and the toolbar button of each command agree, and refresh
// and new folder are always on.
void verifyAvailability(const Commands &c, const Availability &expected)
{
    auto button = [&c](const char *key) { return c.button(QString::fromUtf8(key))->isEnabled(); };
    QVERIFY(c.mnuRefresh->isEnabled() && button("刷新"));
    QVERIFY(c.mnuMakeDir->isEnabled() && button("新建文件夹"));
    QCOMPARE(c.mnuRename->isEnabled(), expected.rename);
    QCOMPARE(button("重命名"), expected.rename);
    QCOMPARE(c.mnuDel->isEnabled(), expected.del);
    QCOMPARE(button("删除"), expected.del);
    QCOMPARE(c.mnuEditSelectAll->isEnabled(), expected.selectAll);
    QCOMPARE(c.mnuRun->isEnabled(), expected.run);
    QCOMPARE(button("运行"), expected.run);
    QCOMPARE(c.mnuProperty->isEnabled(), expected.properties);
    QCOMPARE(button("属性"), expected.properties);
    QCOMPARE(c.mnuShow->isEnabled(), expected.view);
    QCOMPARE(button("查看"), expected.view);
}

QPoint rowCenter(const LocalPaneRig &rig, const QString &text)
{
    QTreeView *report = rig.lvwLocal->reportView();
    return report->visualRect(rig.model->index(rig.rowOf(text), 0)).center();
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
    QString root; // normalised
    QString top;  // as the drive list gives it, without the separator

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

    void fillDriveListStartsInTheSecondDrive()
    {
        LocalPaneRig rig({"/", top, "/mnt/usb [USB STICK]"});
        rig.pane->FillDriveList();
        QCOMPARE(rig.history(), QStringList({"/", root, "/mnt/usb/"}));
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        // The folder box's change lists the directory it now shows.
        QCOMPARE(rig.texts(), QStringList({"..", "a", "photos [2019]", "run.me"}));
    }

    void fillDriveListWithOneDriveListsTheRoot()
    {
        LocalPaneRig rig({"/"});
        rig.pane->FillDriveList();
        QCOMPARE(rig.history(), QStringList({"/"}));
        QCOMPARE(rig.cmbLocalDir->currentText(), QString());
        QVERIFY(rig.model->rowCount() > 1);
        const FileRow &first = rig.model->row(1);
        QCOMPARE(first.tag, QStringLiteral("/") + first.text);
    }

    void openingFoldersRecordsEachDirectoryOnce()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QSignalSpy resets(rig.model, &QAbstractItemModel::modelReset);

        rig.select("a");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QCOMPARE(resets.count(), 1); // listed once, not again by the folder box
        QCOMPARE(rig.lvwLocal->selectedRow(), -1);

        rig.select("b");
        rig.pane->OpenSelectedRow(false); // Enter
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");
        QCOMPARE(rig.texts(), QStringList({"..", "deep.txt"}));

        rig.select("..");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");
        rig.select("b");
        rig.pane->OpenSelectedRow(true);
        rig.select("..");
        rig.pane->OpenSelectedRow(false);
        rig.select("..");
        rig.pane->OpenSelectedRow(false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        QCOMPARE(rig.history(), QStringList({"/", root, root + "a/", root + "a/b/"}));
        QVERIFY(rig.pane->LocalDirInHistory(root + "a/b/"));
        QVERIFY(!rig.pane->LocalDirInHistory(root + "A/b/"));
    }

    void typedPathWithoutSeparator()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.cmbLocalDir->setEditText(root + "a"); // typing lists at once
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QCOMPARE(rig.history().size(), 2); // and records nothing

        rig.select("b");
        rig.pane->OpenSelectedRow(false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");

        rig.cmbLocalDir->setEditText(root + "a/b");
        rig.select("..");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");
        QCOMPARE(rig.history(), QStringList({"/", root, root + "a/b/", root + "a/"}));
    }

    void parentOfTheRootStaysAndAddsNothing()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.cmbLocalDir->setEditText(QStringLiteral("/"));
        rig.select("..");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), QStringLiteral("/"));
        QCOMPARE(rig.history(), QStringList({"/", root}));
        QCOMPARE(rig.model->row(1).tag, QStringLiteral("/") + rig.model->row(1).text);
    }

    void folderWithBracketsOpens()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.select("photos [2019]");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "photos [2019]/");
        QCOMPARE(rig.texts(), QStringList({"..", "day one"}));
        rig.select("day one");
        rig.pane->OpenSelectedRow(false);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "photos [2019]/day one/");
    }

    void filesRunOnDoubleClickOnly()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.select("run.me");
        rig.pane->OpenSelectedRow(false);
        QVERIFY(rig.shell.calls.isEmpty());
        QCOMPARE(rig.cmbLocalDir->currentText(), root);

        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.shell.calls.size(), 1);
        QCOMPARE(rig.shell.calls.at(0).what, QStringLiteral("openFile"));
        QCOMPARE(rig.shell.calls.at(0).target, root + "run.me");
        QCOMPARE(rig.history().size(), 2);
        QVERIFY(rig.log->text().isEmpty());

        rig.shell.result = false;
        rig.select("run.me");
        rig.pane->OpenSelectedRow(true);
        QVERIFY(rig.log->text().contains(root + "run.me"));
        QVERIFY(rig.log->text().endsWith(QStringLiteral("\r\n")));

        // No selected row: nothing happens at all.
        rig.lvwLocal->clearSelection();
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.shell.calls.size(), 2);
    }

    void mouseAndKeysDriveTheList()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));

        doubleClick(rig, "a");
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/");

        rig.select("b");
        rig.lvwLocal->reportView()->setFocus();
        QTest::keyClick(rig.lvwLocal->reportView(), Qt::Key_Delete);
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
        QTest::keyClick(rig.lvwLocal->reportView(), Qt::Key_Return);
        QCOMPARE(rig.cmbLocalDir->currentText(), root + "a/b/");

        QHeaderView *header = rig.lvwLocal->reportView()->header();
        rig.select("..");
        rig.pane->OpenSelectedRow(false);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
        QCOMPARE(rig.model->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(rig.texts(), QStringList({"..", "b", "in_a.txt"}));
    }

    void busySessionIgnoresTheList()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        rig.busy = true;
        QWidget *viewport = rig.lvwLocal->reportView()->viewport();

        doubleClick(rig, "a");
        rig.select("a");
        rig.pane->OpenSelectedRow(false);
        rig.select("run.me");
        rig.pane->OpenSelectedRow(true);
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        QVERIFY(rig.shell.calls.isEmpty());

        rig.commands.mnuRename->setEnabled(false);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCenter(rig, "run.me"));
        QVERIFY(!rig.commands.mnuRename->isEnabled());
        QTest::mouseClick(viewport, Qt::RightButton, {}, rowCenter(rig, "run.me"));
        QVERIFY(!rig.commands.editMenu->isVisible());

        // Sorting the local pane does not depend on the session.
        rig.pane->SortLocalByName();
        QTest::mouseClick(rig.lvwLocal->reportView()->header()->viewport(), Qt::LeftButton, {},
                          QPoint(5, 5));
        QCOMPARE(rig.model->sortOrder(), Qt::DescendingOrder);

        rig.busy = false;
        QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCenter(rig, "run.me"));
        QVERIFY(rig.commands.mnuRename->isEnabled());
    }

    void folderBoxChoiceListsTheEntry()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.select("a");
        rig.pane->OpenSelectedRow(true);

        // A choice from the list behaves as the user's: the index changes,
        // then the combo box reports the activation.
        rig.cmbLocalDir->setCurrentIndex(1);
        Q_EMIT rig.cmbLocalDir->activated(1);
        QCOMPARE(rig.cmbLocalDir->currentText(), root);
        QCOMPARE(rig.texts(), QStringList({"..", "a", "photos [2019]", "run.me"}));

        // Choosing the entry already shown lists it again.
        QCoreApplication::processEvents();
        QVERIFY(makeFile(root + "later.txt"));
        Q_EMIT rig.cmbLocalDir->activated(1);
        QVERIFY(QFile::remove(root + "later.txt"));
        QVERIFY(rig.texts().contains("later.txt"));
    }

    void refreshListsTheFolderBoxDirectoryAgain()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.select("run.me");
        rig.pane->UpdateLocalCommands();
        QVERIFY(makeFile(root + "new.txt"));
        rig.pane->RefreshLocal();
        QVERIFY(QFile::remove(root + "new.txt"));
        QVERIFY(rig.texts().contains("new.txt"));
        verifyAvailability(rig.commands, {false, false, false, false, false, false});
    }

    void availabilityFollowsTheSelectedRow()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        rig.pane->UpdateLocalCommands();
        verifyAvailability(rig.commands, {false, false, false, false, false, false});

        rig.select("a");
        rig.pane->UpdateLocalCommands();
        verifyAvailability(rig.commands, {true, true, true, true, true, false});

        rig.select("run.me");
        rig.pane->UpdateLocalCommands();
        verifyAvailability(rig.commands, {true, true, true, true, true, true});

        rig.select(".."); // counts as a file
        rig.pane->UpdateLocalCommands();
        verifyAvailability(rig.commands, {true, true, true, true, true, true});

        // A command whose feature is held back stays off whatever the row.
        rig.commands.setAvailable(rig.commands.mnuRun, false);
        rig.pane->UpdateLocalCommands();
        QVERIFY(!rig.commands.mnuRun->isEnabled());
        QVERIFY(rig.commands.mnuShow->isEnabled());
    }

    void focusShowsTheActivePane()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        const Commands &c = rig.commands;
        rig.lvwLocal->setViewMode(FileListView::ListMode);
        rig.state.LocalHasFocus = false;
        rig.state.RemoteHasFocus = true;
        c.mnuProperty->setVisible(false);
        c.mnuUpDown->setText(QStringLiteral("下载(&D)"));
        c.button("下载")->setEnabled(true);
        c.button("上传")->setEnabled(false);
        const QColor normal = PaneCaptionColor(rig.fraLocal);

        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        QVERIFY(rig.state.LocalHasFocus && !rig.state.RemoteHasFocus && !rig.state.QueueHasFocus);
        QCOMPARE(PaneCaptionColor(rig.fraLocal), QColor(0, 0, 255));
        QVERIFY(!c.button("下载")->isEnabled() && c.button("上传")->isEnabled());
        QCOMPARE(c.mnuUpDown->text(), QStringLiteral("上传(&U)"));
        QVERIFY(c.mnuUpDown->isEnabled() && c.mnuEdit->isEnabled());
        QVERIFY(c.mnuProperty->isVisible());
        QVERIFY(c.mnuViewList->isChecked() && !c.mnuViewReport->isChecked());
        QVERIFY(c.mnuViewList->isEnabled() && c.mnuViewReport->isEnabled());
        for (QAction *a : {c.mnuMakeDir, c.mnuRename, c.mnuDel, c.mnuRefresh, c.mnuShow, c.mnuRun})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));

        rig.elsewhere->setFocus(Qt::TabFocusReason);
        QVERIFY(!rig.state.LocalHasFocus);
        QCOMPARE(PaneCaptionColor(rig.fraLocal), normal);
        for (QAction *a : {c.mnuEdit, c.mnuViewList, c.mnuViewReport, c.mnuUpDown})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

        rig.lvwLocal->setViewMode(FileListView::ReportMode);
        rig.lvwLocal->setFocus(Qt::TabFocusReason);
        QVERIFY(!c.mnuViewList->isChecked() && c.mnuViewReport->isChecked());

        // A held-back upload stays off although the pane has the focus.
        rig.elsewhere->setFocus(Qt::TabFocusReason);
        rig.commands.setAvailable(c.mnuUpDown, false);
        rig.lvwLocal->setFocus(Qt::TabFocusReason);
        QCOMPARE(c.mnuUpDown->text(), QStringLiteral("上传(&U)"));
        QVERIFY(!c.mnuUpDown->isEnabled());
    }

    void contextMenuKeepsThePaneActive()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        const Commands &c = rig.commands;
        QWidget *viewport = rig.lvwLocal->reportView()->viewport();
        const QPoint below(10, viewport->height() - 5); // no row there

        QTest::mouseClick(viewport, Qt::RightButton, {}, below);
        QVERIFY(c.editMenu->isVisible());
        QCOMPARE(c.editMenu->defaultAction(), c.mnuRun);
        QVERIFY(rig.state.LocalHasFocus);
        QVERIFY(c.mnuEdit->isEnabled());
        verifyAvailability(c, {false, false, false, false, false, false});

        c.editMenu->close();
        QTRY_VERIFY(!c.editMenu->isVisible());
        QVERIFY(rig.state.LocalHasFocus);
        // Closing the menu gives the focus back; it is no new visit.
        verifyAvailability(c, {false, false, false, false, false, false});

        QTest::mouseClick(viewport, Qt::RightButton, {}, rowCenter(rig, "a"));
        QVERIFY(c.editMenu->isVisible());
        verifyAvailability(c, {true, true, true, true, true, false});
        c.editMenu->close();
    }

    void editorAndOtherWindowsKeepThePaneActive()
    {
        LocalPaneRig rig({"/", top});
        rig.pane->FillDriveList();
        QVERIFY(activate(&rig));
        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        rig.pane->UpdateLocalCommands(); // nothing selected: rename off
        const Commands &c = rig.commands;

        rig.model->setLabelEditHandler([](int, const QString &) { return false; });
        rig.lvwLocal->editRow(rig.rowOf("run.me"));
        QTRY_VERIFY(QApplication::focusWidget() != rig.lvwLocal->reportView());
        QVERIFY(rig.lvwLocal->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), rig.lvwLocal->reportView());
        QVERIFY(!c.mnuRename->isEnabled());

        QWidget other;
        QVERIFY(activate(&other));
        QVERIFY(rig.state.LocalHasFocus && c.mnuEdit->isEnabled());
        QVERIFY(activate(&rig));
        QVERIFY(!c.mnuRename->isEnabled());

        // The focus moved on while the window was away: coming back into the
        // list later is a new visit.
        QVERIFY(activate(&other));
        rig.elsewhere->setFocus(Qt::OtherFocusReason);
        QVERIFY(activate(&rig));
        rig.lvwLocal->setFocus(Qt::MouseFocusReason);
        QVERIFY(c.mnuRename->isEnabled());
        QVERIFY(rig.state.LocalHasFocus);
    }
};

QTEST_MAIN(TestLocalPane)
#include "tst_localpane.moc"
