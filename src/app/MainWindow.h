#pragma once

#include "app/MainWindowUi.h"
#include "remote/RemoteSession.h"
#include "window/Commands.h"
#include "window/WindowState.h"

#include <QMainWindow>
#include <memory>

class BackgroundTransfers;
class QueueStore;
class CommandDispatch;
class PaneComparison;
class RemotePermissions;
class RemoteFileEditor;
class ConnectionController;
class ExitSequence;
class FileCommands;
class HelpLauncher;
class LocalFileOps;
class LocalFolderWatcher;
class LocalPane;
class MainLayout;
class PaneCommands;
class ProgressDisplay;
class QueueList;
class DragDrop;
class TransferCommands;
class TransferList;
struct TransferContext;
class RemoteFileOps;
class RemotePane;
class SessionLog;
class ViewAndRun;
class WindowContext;
class WindowPlacement;
struct Globals;
struct Platform;

// frmMain: owns the widgets, the window state and the controllers, and wires
// them together. What each part does lives in its own class.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Platform &platform, Globals &globals, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowUi &ui() { return widgets; }
    Commands &commands() { return cmds; }
    WindowState &state() { return windowState; }
    WindowContext &context() { return *ctx; }
    SessionLog &log() { return *sessionLog; }
    MainLayout &mainLayout() { return *layoutControl; }
    CommandDispatch &dispatch() { return *commandDispatch; }
    PaneCommands &paneCommands() { return *panes; }
    HelpLauncher &help();
    LocalPane &localPane() { return *local; }
    LocalFolderWatcher &localWatcher() { return *watcher; }
    RemotePane &remotePane() { return *remote; }
    ConnectionController &connection() { return *connectionControl; }
    QueueList &queueList() { return *queue; }
    TransferList &transferList() { return *transfers; }
    TransferCommands &transferCommands() { return *transferCommandsControl; }
    DragDrop &dragDrop() { return *dragDropControl; }
    BackgroundTransfers &backgroundTransfers() { return *background; }
    LocalFileOps &localFileOps() { return *localOps; }
    RemoteFileOps &remoteFileOps() { return *remoteOps; }
    FileCommands &fileCommands() { return *fileOps; }
    ViewAndRun &viewAndRun() { return *viewer; }
    PaneComparison &comparison() { return *compare; }
    RemotePermissions &remotePermissions() { return *permissions; }
    RemoteFileEditor &remoteEditor() { return *editor; }
    RemoteSession &session() { return *Ftp1; }

    // A link the desktop opened Korvu for: quick connect filled in from it,
    // once the start-up question about unfinished transfers is answered
    // (not over it, in its dialog's event loop).
    void openLink(const QString &link);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void wireCommands();
    void wireAvailability();
    void showOptions();
    void showAbout();

    Platform &platform;
    Globals &globals;
    // Declared before the widgets and controllers: they may call it while
    // they are destroyed.
    std::unique_ptr<RemoteSession> Ftp1;
    Commands cmds;
    WindowState windowState;
    MainWindowUi widgets;
    std::unique_ptr<SessionLog> sessionLog;
    std::unique_ptr<WindowContext> ctx;
    MainLayout *layoutControl = nullptr;
    CommandDispatch *commandDispatch = nullptr;
    LocalPane *local = nullptr;
    RemotePane *remote = nullptr;
    ConnectionController *connectionControl = nullptr;
    ProgressDisplay *progress = nullptr;
    QueueList *queue = nullptr;
    std::unique_ptr<TransferList> transfers;
    std::unique_ptr<TransferContext> transferContext;
    TransferCommands *transferCommandsControl = nullptr;
    DragDrop *dragDropControl = nullptr;
    BackgroundTransfers *background = nullptr;
    std::unique_ptr<QueueStore> queueStore; // none when the platform names no place
    bool startupQuestionDue = false;
    QString pendingLink; // waits for the start-up question
    LocalFileOps *localOps = nullptr;
    RemoteFileOps *remoteOps = nullptr;
    FileCommands *fileOps = nullptr;
    ViewAndRun *viewer = nullptr;
    PaneComparison *compare = nullptr;
    RemotePermissions *permissions = nullptr;
    RemoteFileEditor *editor = nullptr;
    std::unique_ptr<PaneCommands> panes;
    std::unique_ptr<ExitSequence> exitSequence;
    WindowPlacement *placement = nullptr;
    LocalFolderWatcher *watcher = nullptr;
};
