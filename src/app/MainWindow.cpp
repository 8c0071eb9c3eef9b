#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/Artwork.h"
#include "app/CommandDispatch.h"
#include "app/ExitSequence.h"
#include "app/HelpLauncher.h"
#include "app/MainLayout.h"
#include "app/OptionsDialog.h"
#include "app/PaneCommands.h"
#include "app/Platform.h"
#include "app/ScratchFile.h"
#include "app/StatusPanels.h"
#include "app/UnbuiltCommands.h"
#include "connection/ActivityDisplay.h"
#include "connection/ConnectionController.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QShortcut>
#include <exception>

MainWindow::MainWindow(Platform &platform, Globals &globals, QWidget *parent)
    : QMainWindow(parent), platform(platform), globals(globals)
{
    widgets.setupUi(this, cmds);
    setWindowIcon(Artwork::windowIcon());
    UnbuiltCommands::hold(cmds);

    sessionLog = std::make_unique<SessionLog>(widgets.txtLog);
    helpLauncher = std::make_unique<HelpLauncher>(platform.shell, *sessionLog);
    layoutControl = new MainLayout(this, widgets, windowState, this);
    commandDispatch = new CommandDispatch(cmds, this);
    local = new LocalPane(
        widgets.lvwLocal, widgets.cmbLocalDir, widgets.fraLocal, cmds, windowState, platform.drives,
        platform.shell, *sessionLog, [this] { return Ftp1.IsBusy(); }, this);
    remote = new RemotePane(widgets.lvwRemote, widgets.cmbRemoteDir, widgets.fraRemote, cmds,
                            windowState, globals, Ftp1, *sessionLog, this);
    auto setStatusPicture = [this](int picture) { widgets.sbStatusBar->setStatusPicture(picture); };
    activity = new ActivityDisplay(Ftp1, *sessionLog, windowState, setStatusPicture, this);
    connectionControl = new ConnectionController(
        this, cmds, windowState, globals, Ftp1, *sessionLog, *remote, platform.prompts,
        {setStatusPicture, [this] { helpLauncher->ShowContents(); }, platform.siteDatabase}, this);
    panes = std::make_unique<PaneCommands>(cmds, windowState, widgets.lvwLocal, widgets.lvwRemote);
    exitSequence =
        std::make_unique<ExitSequence>(this, widgets.lvwLocal, platform.settings, globals);

    wireCommands();
    Form_Load();
}

MainWindow::~MainWindow()
{
    // The widgets go first, while the controllers and the FTP session that
    // react to their last signals (a focus leaving, a selection cleared) are
    // still whole.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
}

void MainWindow::wireCommands()
{
    CommandDispatch &d = *commandDispatch;
    ConnectionController &c = *connectionControl;
    d.setHandler(cmds.mnuSit, [&c] { c.mnuSit_Click(); });
    d.setHandler(cmds.mnuLogin, [&c] { c.mnuLogin_Click(); });
    d.setHandler(cmds.mnuRelogin, [&c] { c.mnuRelogin_Click(); });
    d.setHandler(cmds.mnuLogout, [&c] { c.mnuLogout_Click(); });
    d.setButtonHandler(QStringLiteral("停止操作"), [&c] { c.Stop(); });
    d.setHandler(cmds.mnuExit, [this] {
        connectionControl->DropForExit();
        close();
    });
    d.setHandler(cmds.mnuEditSelectAll, [this] { panes->mnuEditSelectAll_Click(); });
    d.setHandler(cmds.mnuRefresh, [this] { panes->RefreshPane(); });
    panes->setLocalRefresh([this] { local->RefreshLocal(); });
    panes->setRemoteRefresh([this] { remote->RefreshRemote(); });
    d.setHandler(cmds.mnuViewList, [this] { panes->mnuViewList_Click(); });
    d.setHandler(cmds.mnuViewReport, [this] { panes->mnuViewReport_Click(); });
    d.setHandler(cmds.mnuViewOptions, [this] { showOptions(); });
    d.setHandler(cmds.mnuHelpContents, [this] { helpLauncher->ShowContents(); });
    d.setHandler(cmds.mnuEmail, [this] { helpLauncher->mnuEmail_Click(); });
    d.setHandler(cmds.mnuHelpAbout, [this] { showAbout(); });

    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, this, [this] { helpLauncher->ShowContents(); });

    connect(widgets.sbStatusBar, &StatusPanels::panelDoubleClicked, commandDispatch,
            &CommandDispatch::StatusPanelDblClick);
    connect(widgets.lvwStatus, &FileListView::gotFocus, this,
            [this] { panes->lvwStatus_GotFocus(); });
}

void MainWindow::Form_Load()
{
    helpLauncher->setHelpFile(platform.programDir);
    layoutControl->placeDesigned();
    layoutControl->Form_Resize();
    try {
        setWindowTitle(QStringLiteral("Korvu"));
        windowState.LocalHasFocus = true;
        windowState.RemoteHasFocus = false;
        windowState.QueueHasFocus = false;

        QString scratchError;
        globals.gScratchFile = ScratchFile::preparePath(&scratchError);
        // Without a scratch file only viewing remote files is lost; the
        // rest of the start goes on.
        if (globals.gScratchFile.isEmpty())
            sessionLog->append(scratchError + QStringLiteral("\r\n"));

        globals.gXferApplyAll = 0;
        windowState.TransferBusy = false;
        windowState.ConnectionLost = false;
        globals.gDialogCancelled = true;

        local->UpdateLocalCommands();
        for (QAction *item :
             {cmds.mnuLogout, cmds.mnuRelogin, cmds.mnuViewList, cmds.mnuViewReport})
            cmds.enable(item, false);
        cmds.enableButton(QStringLiteral("断开连接"), false);
        cmds.enableButton(QStringLiteral("重新连接"), false);
        cmds.enable(cmds.mnuUpDown, false);

        local->FillDriveList();
        QString path = widgets.cmbLocalDir->currentText();
        local->DoLocalRefresh(path);
        local->SortLocalByName();
        local->UpdateLocalCommands();
        widgets.lvwLocal->setFocus();
        widgets.lvwLocal->update();
    } catch (const std::exception &error) {
        sessionLog->append(QString::fromLocal8Bit(error.what()) + QStringLiteral("\r\n"));
    }
}

void MainWindow::showOptions()
{
    OptionsDialog dialog(platform.settings, platform.prompts, this);
    dialog.exec();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(platform.networkInfo, this);
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    exitSequence->Form_Unload();
    connectionControl->DropForExit();
    event->accept();
    // Ends the program at once, whatever other windows are open.
    QCoreApplication::quit();
}
