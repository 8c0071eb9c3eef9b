#include "connection/ConnectionController.h"

#include "connection/QuickConnectDialog.h"
#include "connection/SiteManagerDialog.h"
#include "ftp/FtpSession.h"
#include "panes/Commands.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/RemotePane.h"
#include "panes/SessionControl.h"
#include "panes/WindowState.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"

#include <QAction>
#include <QWidget>

namespace {
const QString title = QStringLiteral("Korvu");
constexpr int pictureStopped = 1;
constexpr int pictureClosed = 2;
constexpr int pictureConnected = 3;
} // namespace

ConnectionController::ConnectionController(QWidget *frmMain, Commands &commands, WindowState &state,
                                           Globals &g, FtpSession &ftp, SessionLog &log,
                                           RemotePane &remote, Prompts &prompts, Hooks hooks,
                                           QObject *parent)
    : QObject(parent), frmMain(frmMain), commands(commands), state(state), g(g), ftp(ftp), log(log),
      remote(remote), prompts(prompts), hooks(std::move(hooks))
{
    connect(&ftp, &FtpSession::StateChangedEvent, this, &ConnectionController::StateChanged);
}

void ConnectionController::Connect()
{
    try {
        log.clear();
        state.ConnectionLost = false;
        remote.clearRows();
        commands.enable(commands.mnuLogout, true);
        commands.enable(commands.mnuRelogin, true);
        commands.enableButton(QStringLiteral("断开连接"), true);
        commands.enableButton(QStringLiteral("重新连接"), true);
        log.append(QStringLiteral("连接中 ...\r\n"));
        SetFtpProperties(ftp, g);
        ftp.OpenConnection(g.gHost, g.gUser, g.gPassword, QString(), g.gPort);
        g.gRestartSupported = ftp.RestartSupported();
        // The start directory is where the server put us; a later link probe
        // returns here until the user moves on.
        g.gHomeDir = ftp.CurrentDirectory();
        g.gRemoteDir = g.gHomeDir;
        remote.DoRemoteRefresh(ftp.CurrentDirectory());
        commands.enable(commands.mnuLogout, true);
        commands.enable(commands.mnuRelogin, true);
        remote.SortRemoteByName();
        remote.UpdateRemoteCommands();
    } catch (const FtpError &error) {
        remote.ReportRemoteError(error.description, error.number);
    }
}

void ConnectionController::Disconnect()
{
    log.append(QStringLiteral("正在断开连接 ...\r\n"));
    SetFtpProperties(ftp, g);
    try {
        ftp.CloseConnection();
    } catch (const FtpError &error) {
        remote.ReportRemoteError(error.description, error.number);
    }
}

void ConnectionController::StateChanged()
{
    const int connectionState = ftp.ConnectionState();
    if (connectionState == FtpState::Connected) {
        frmMain->setWindowTitle(title + QStringLiteral(" (连接到: ") + g.gHost +
                                QStringLiteral(")"));
        log.append(QStringLiteral("连接到: ") + g.gHost + QStringLiteral("\r\n"));
        hooks.setStatusPicture(pictureConnected);
        commands.enableButton(QStringLiteral("断开连接"), true);
    } else if (connectionState == FtpState::Closed) {
        frmMain->setWindowTitle(title);
        log.append(QStringLiteral("连接已关闭\r\n"));
        hooks.setStatusPicture(pictureClosed);
        commands.enable(commands.mnuLogout, true);
        commands.enable(commands.mnuRelogin, true);
        commands.enable(commands.mnuEdit, false);
        commands.enableButton(QStringLiteral("断开连接"), false);
        commands.enableButton(QStringLiteral("重新连接"), true);
        remote.clearRows();
    }
}

template <typename Dialog, typename... Args> void ConnectionController::runDialog(Args &&...args)
{
    const bool cancelledBefore = g.gDialogCancelled;
    g.gDialogCancelled = true;
    {
        Dialog dialog(std::forward<Args>(args)...);
        dialog.exec();
    }
    if (!g.gDialogCancelled)
        Connect();
    else
        g.gDialogCancelled = cancelledBefore;
}

void ConnectionController::mnuSit_Click()
{
    runDialog<SiteManagerDialog>(g, prompts, hooks.showHelp, hooks.siteDatabasePath, frmMain);
}

void ConnectionController::mnuLogin_Click()
{
    runDialog<QuickConnectDialog>(g, prompts, frmMain);
}

void ConnectionController::mnuRelogin_Click()
{
    if (!g.gDialogCancelled)
        Connect();
}

void ConnectionController::mnuLogout_Click()
{
    if (ftp.ConnectionState() == FtpState::Connected)
        Disconnect();
    remote.clearDirectoryBox();
    SetMenuState(commands, true, false, true);
}

void ConnectionController::Stop()
{
    ftp.StopTransfer();
    hooks.setStatusPicture(pictureStopped);
}

void ConnectionController::DropForExit()
{
    if (ftp.ConnectionState() == FtpState::Connected)
        ftp.DropConnection();
}
