#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/Artwork.h"
#include "app/CommandDispatch.h"
#include "app/ExitSequence.h"
#include "app/MainLayout.h"
#include "app/OptionsDialog.h"
#include "app/PaneCommands.h"
#include "app/Platform.h"
#include "app/ScratchFile.h"
#include "app/WindowPlacement.h"
#include "compare/PaneComparison.h"
#include "connection/ConnectionController.h"
#include "fileops/FileCommands.h"
#include "fileops/LocalFileOps.h"
#include "fileops/RemoteFileEditor.h"
#include "fileops/RemoteFileOps.h"
#include "fileops/RemotePermissions.h"
#include "fileops/ViewAndRun.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalFolderWatcher.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "queue/QueueStore.h"
#include "remote/factory/RemoteSessions.h"
#include "transfer/BackgroundTransfers.h"
#include "transfer/DragDrop.h"
#include "transfer/ProgressDisplay.h"
#include "transfer/QueueList.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferList.h"
#include "window/CommandIds.h"
#include "window/DirCombos.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>
#include <exception>
#include <utility>

MainWindow::MainWindow(Platform &platform, Globals &globals, QWidget *parent)
    : QMainWindow(parent), platform(platform), globals(globals),
      Ftp1(RemoteSessions::make(RemoteProtocol::Ftp))
{
    widgets.setupUi(this, cmds);
    setWindowIcon(Artwork::windowIcon());

    sessionLog = std::make_unique<SessionLog>(widgets.txtLog);
    ctx = std::make_unique<WindowContext>(
        WindowContext::Parts{this, *Ftp1, globals, windowState, cmds, *sessionLog, platform.prompts,
                             platform.shell, widgets.sbStatusBar});
    layoutControl = new MainLayout(this, widgets, windowState, this);
    commandDispatch = new CommandDispatch(*ctx, this);
    local = new LocalPane(*ctx, platform.drives, widgets.lvwLocal, widgets.cmbLocalDir,
                          widgets.fraLocal, this);
    remote = new RemotePane(*ctx, widgets.lvwRemote, widgets.cmbRemoteDir, widgets.fraRemote, this);
    progress = new ProgressDisplay(*ctx, this);
    queue = new QueueList(*ctx, widgets.lvwStatus, this);
    transfers = std::make_unique<TransferList>(widgets.lvwLocal, widgets.lvwRemote);
    const DirCombos combos{widgets.cmbLocalDir, widgets.cmbRemoteDir};
    transferContext = std::make_unique<TransferContext>(
        TransferContext{*ctx, *transfers, *queue, *progress, *local, *remote, widgets.lvwLocal,
                        widgets.lvwRemote, combos});
    transferCommandsControl = new TransferCommands(*transferContext, this);
    dragDropControl = new DragDrop(*transferContext, *transferCommandsControl, this);
    connectionControl = new ConnectionController(*ctx, *remote, platform.siteDatabase, this);
    connectionControl->rememberQuickConnects(platform.settings);
    // After the connection's question: the queue hears what the user trusts.
    background =
        new BackgroundTransfers(*transferContext, platform.settings, widgets.lvwQueue, this);
    transferCommandsControl->setBackground(background);
    connect(background, &BackgroundTransfers::visibilityChanged, layoutControl,
            &MainLayout::Form_Resize);
    localOps = new LocalFileOps(*ctx, *local, widgets.lvwLocal, combos, *transfers, *queue, this);
    remoteOps =
        new RemoteFileOps(*ctx, *remote, widgets.lvwRemote, combos, *transfers, *queue, this);
    fileOps = new FileCommands(*ctx, *localOps, *remoteOps, *queue, widgets.lvwLocal,
                               widgets.lvwRemote, this);
    viewer = new ViewAndRun(*ctx, platform.settings, widgets.lvwLocal, widgets.lvwRemote, this);
    panes = std::make_unique<PaneCommands>(*ctx, widgets.lvwLocal, widgets.lvwRemote);
    exitSequence =
        std::make_unique<ExitSequence>(this, widgets.lvwLocal, platform.settings, globals);
    placement =
        new WindowPlacement(this, widgets.lvwLocal, widgets.lvwRemote, platform.settings, this);
    watcher = new LocalFolderWatcher(*ctx, *local, widgets.lvwLocal, this);
    permissions = new RemotePermissions(*ctx, *remote, widgets.lvwRemote, this);
    editor = new RemoteFileEditor(*ctx, platform.settings, *remote, widgets.lvwRemote, this);
    compare = new PaneComparison(*ctx, *local, *remote, widgets.lvwLocal, widgets.lvwRemote, this);

    wireAvailability();
    wireCommands();
    Form_Load();
}

MainWindow::~MainWindow()
{
    // The widgets go first, while the controllers and the FTP session that
    // react to their last signals (a focus leaving, a selection cleared) are
    // still whole; then the controllers, while the context they use is.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    for (QObject *controller : std::initializer_list<QObject *>{
             compare, editor, permissions, background, dragDropControl, transferCommandsControl,
             viewer, fileOps, remoteOps, localOps, connectionControl, queue, progress, watcher,
             remote, local, commandDispatch, placement, layoutControl})
        delete controller;
}

HelpLauncher &MainWindow::help()
{
    return ctx->help;
}

void MainWindow::wireAvailability()
{
    FileListView *lvwStatus = widgets.lvwStatus;
    ctx->availability.setSources({
        [this] { return local->selectedRowKind(); },
        [this] { return remote->selectedRowKind(); },
        [lvwStatus] { return lvwStatus->model()->rowCount() > 0; },
        [lvwStatus] { return lvwStatus->selectedRow() >= 0; },
        [this](Pane pane) {
            return (pane == Pane::Remote ? widgets.lvwRemote : widgets.lvwLocal)->viewMode();
        },
    });
}

void MainWindow::wireCommands()
{
    CommandDispatch &d = *commandDispatch;
    ConnectionController &c = *connectionControl;
    d.setHandler(cmds.mnuSit, [&c] { c.mnuSit_Click(); });
    d.setHandler(cmds.mnuLogin, [&c] { c.mnuLogin_Click(); });
    d.setHandler(cmds.mnuRelogin, [&c] { c.mnuRelogin_Click(); });
    d.setHandler(cmds.mnuLogout, [&c] { c.mnuLogout_Click(); });
    d.setButtonHandler(ToolbarKey::Stop, [this, &c] {
        c.Stop();
        background->stopAll();
    });
    d.setButtonHandler(ToolbarKey::Download,
                       [this] { transferCommandsControl->DownloadCommand(); });
    d.setButtonHandler(ToolbarKey::Upload, [this] { transferCommandsControl->UploadCommand(); });
    d.setHandler(cmds.mnuExit, [this] {
        connectionControl->DropForExit();
        close();
    });
    d.setHandler(cmds.mnuMakeDir, [this] { fileOps->CreateFolder(); });
    d.setHandler(cmds.mnuRename, [this] { fileOps->RenameSelected(); });
    d.setHandler(cmds.mnuDel, [this] { fileOps->DeleteSelected(); });
    d.setHandler(cmds.mnuRun, [this] { viewer->RunSelected(); });
    d.setHandler(cmds.mnuShow, [this] { viewer->ViewSelected(); });
    d.setHandler(cmds.mnuEditFile, [this] { editor->EditSelected(); });
    d.setHandler(cmds.mnuProperty, [this] {
        if (ctx->availability.commandPane() == Pane::Remote)
            permissions->ShowRemoteProperties();
        else
            viewer->PropertiesOfSelected();
    });
    d.setHandler(cmds.mnuEditSelectAll, [this] { panes->mnuEditSelectAll_Click(); });
    d.setHandler(cmds.mnuRefresh, [this] { panes->RefreshPane(); });
    panes->setLocalRefresh([this] { local->RefreshLocal(); });
    panes->setRemoteRefresh([this] { remote->RefreshRemote(); });
    d.setHandler(cmds.keyParentFolder, [this] { panes->ParentFolder(); });
    panes->setLocalParent([this] { local->OpenParentFolder(); });
    panes->setRemoteParent([this] { remote->OpenParentFolder(); });
    d.setHandler(cmds.keySelectAll, [this] { panes->mnuEditSelectAll_Click(); });
    d.setHandler(cmds.mnuViewList, [this] { panes->mnuViewList_Click(); });
    d.setHandler(cmds.mnuViewReport, [this] { panes->mnuViewReport_Click(); });
    d.setHandler(cmds.mnuViewCompare, [this] { compare->setOn(!compare->isOn()); });
    d.setHandler(cmds.mnuViewCompareHide,
                 [this] { compare->setHideIdentical(!compare->hidesIdentical()); });
    d.setHandler(cmds.mnuViewOptions, [this] { showOptions(); });
    d.setHandler(cmds.mnuHelpContents, [this] { ctx->help.ShowContents(); });
    d.setHandler(cmds.mnuEmail, [this] { ctx->help.mnuEmail_Click(); });
    d.setHandler(cmds.mnuHelpAbout, [this] { showAbout(); });

    connect(widgets.sbStatusBar, &StatusPanels::panelDoubleClicked, commandDispatch,
            &CommandDispatch::StatusPanelDblClick);
    d.setHandler(cmds.mnuStatusClear, [this] { queue->mnuStatusClear_Click(); });
    d.setHandler(cmds.mnuStatusDel, [this] { queue->mnuStatusDel_Click(); });
}

void MainWindow::Form_Load()
{
    ctx->help.setHelpFile(platform.programDir);
    layoutControl->placeDesigned();
    placement->restore();
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

        windowState.ConnectionLost = false;
        globals.gDialogCancelled = true;
        ctx->availability.refresh();

        local->setShowHiddenFiles(OptionsDialog::showHiddenFiles(platform.settings));
        local->FillDriveList();
        QString path = widgets.cmbLocalDir->currentText();
        local->DoLocalRefresh(path);
        local->SortLocalByName();
        widgets.lvwLocal->setFocus();
        widgets.lvwLocal->update();
        if (!platform.queueStore.isEmpty()) {
            queueStore = std::make_unique<QueueStore>(platform.queueStore);
            // Asked once the window is up, not over the splash.
            startupQuestionDue = true;
            QTimer::singleShot(0, this, [this] {
                background->offerStored(*queueStore);
                startupQuestionDue = false;
                if (!pendingLink.isEmpty())
                    connection().quickConnectTo(std::exchange(pendingLink, {}));
            });
        }
    } catch (const std::exception &error) {
        sessionLog->append(QString::fromLocal8Bit(error.what()) + QStringLiteral("\r\n"));
    }
}

void MainWindow::openLink(const QString &link)
{
    if (startupQuestionDue)
        pendingLink = link;
    else
        connection().quickConnectTo(link);
}

void MainWindow::showOptions()
{
    OptionsDialog dialog(platform.settings, platform.prompts, this);
    HelpLauncher::setTopic(&dialog, QStringLiteral("options.html"));
    connect(&dialog, &OptionsDialog::applied, this, [this] {
        local->setShowHiddenFiles(OptionsDialog::showHiddenFiles(platform.settings));
        background->readOptions();
    });
    dialog.exec();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(platform.networkInfo, this);
    HelpLauncher::setTopic(&dialog, QStringLiteral("about.html"));
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    placement->saveColumns();
    if (queueStore)
        background->keep(*queueStore);
    exitSequence->Form_Unload();
    connectionControl->DropForExit();
    event->accept();
    // Ends the program at once, whatever other windows are open.
    QCoreApplication::quit();
}
