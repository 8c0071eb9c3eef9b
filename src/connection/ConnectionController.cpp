#include "connection/ConnectionController.h"

#include "connection/QuickConnectDialog.h"
#include "connection/QuickConnectHistory.h"
#include "connection/SiteManagerDialog.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "remote/RemoteUrl.h"
#include "remote/factory/RemoteSessions.h"
#include "window/RemoteBrowser.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QWidget>

namespace {
const QString title = QStringLiteral("Korvu");
const QString connectTopic = QStringLiteral("connect.html");
} // namespace

ConnectionController::ConnectionController(WindowContext &context, RemoteBrowser &remote,
                                           const QString &siteDatabasePath, QObject *parent)
    : QObject(parent), ctx(context), remote(remote), siteDatabasePath(siteDatabasePath),
      certificates(ctx.window, ctx.log), ssh(ctx.window, ctx.prompts, ctx.log)
{
    connect(&ctx.session, &RemoteSession::StateChangedEvent, this,
            &ConnectionController::StateChanged);
    ctx.session.setQuestion([this](const RemoteQuestion &question) {
        if (const auto *key = std::get_if<RemoteHostKey>(&question))
            return ssh.hostKey(*key);
        if (const auto *secret = std::get_if<RemoteSecretPrompt>(&question))
            return ssh.secret(*secret);
        if (const auto *prompt = std::get_if<RemoteInteractivePrompt>(&question))
            return ssh.interactive(*prompt);
        RemoteAnswer answer;
        answer.trust = certificates.ask(std::get<RemoteCertificate>(question));
        return answer;
    });
}

ConnectionController::~ConnectionController() = default;

void ConnectionController::rememberQuickConnects(SettingsStore &settings)
{
    quickConnectHistory = std::make_unique<QuickConnectHistory>(settings);
}

void ConnectionController::Connect()
{
    Globals &g = ctx.globals;
    try {
        ctx.log.clear();
        ctx.state.ConnectionLost = false;
        ctx.state.SessionStarted = true;
        remote.clearRows();
        remote.clearDirectoryBox();
        ctx.log.append(QStringLiteral("连接中 ...\r\n"));
        useSiteProtocol();
        SetFtpProperties(ctx.session, g);
        ctx.session.setTrustedHostKeys(ssh.trustedKeys(g.gHost, g.gPort));
        ctx.session.OpenConnection(g.gHost, g.gUser, g.gPassword, QString(), g.gPort);
        g.gRestartSupported = ctx.session.RestartSupported();
        // The start directory is where the server put us.
        g.gHomeDir = ctx.session.CurrentDirectory();
        g.gRemoteDir = g.gHomeDir;
        remote.DoRemoteRefresh(ctx.session.CurrentDirectory());
        remote.SortRemoteByName();
    } catch (const RemoteError &error) {
        ReportRemoteError(ctx, RemoteTexts::description(error), error.number);
    }
    ctx.availability.refresh();
}

// The one session of the window speaks what the site speaks; one still open
// to a server of the other protocol is dropped first.
void ConnectionController::useSiteProtocol()
{
    const auto protocol = RemoteProtocol(ctx.globals.gProtocol);
    if (RemoteSessions::speak(ctx.session, protocol))
        return;
    ctx.session.DropConnection();
    RemoteSessions::speak(ctx.session, protocol);
}

void ConnectionController::Disconnect()
{
    ctx.log.append(QStringLiteral("正在断开连接 ...\r\n"));
    SetFtpProperties(ctx.session, ctx.globals);
    try {
        ctx.session.CloseConnection();
    } catch (const RemoteError &error) {
        ReportRemoteError(ctx, RemoteTexts::description(error), error.number);
    }
}

void ConnectionController::StateChanged()
{
    const int connectionState = ctx.session.ConnectionState();
    if (connectionState == RemoteState::Connected) {
        wasConnected = true;
        const bool ssh = ctx.session.Protocol() == RemoteProtocol::Sftp;
        const QString encrypted = ssh                         ? QStringLiteral(", SSH 已加密")
                                  : ctx.session.IsEncrypted() ? QStringLiteral(", 已加密")
                                                              : QString();
        ctx.window->setWindowTitle(title + QStringLiteral(" (连接到: ") + ctx.globals.gHost +
                                   encrypted + QStringLiteral(")"));
        ctx.log.append(QStringLiteral("连接到: ") + ctx.globals.gHost +
                       (ssh ? QStringLiteral("（SSH）\r\n") : QStringLiteral("\r\n")));
        ctx.status.show(StatusIndicator::Connected);
    } else if (connectionState == RemoteState::Closed) {
        // An attempt that never logged in closed nothing: its reason is the
        // last line of the log.
        if (wasConnected)
            ctx.log.append(QStringLiteral("连接已关闭\r\n"));
        wasConnected = false;
        ctx.window->setWindowTitle(title);
        ctx.status.show(StatusIndicator::Closed);
        // Nothing of the server is on show any more, not even its folder.
        remote.clearRows();
        remote.clearDirectoryBox();
    }
}

template <typename Dialog, typename Prepare, typename... Args>
void ConnectionController::runDialog(Prepare prepare, Args &&...args)
{
    Globals &g = ctx.globals;
    const bool cancelledBefore = g.gDialogCancelled;
    g.gDialogCancelled = true;
    {
        Dialog dialog(std::forward<Args>(args)...);
        HelpLauncher::setTopic(&dialog, connectTopic);
        prepare(dialog);
        dialog.exec();
    }
    if (!g.gDialogCancelled)
        Connect();
    else
        g.gDialogCancelled = cancelledBefore;
}

void ConnectionController::mnuSit_Click()
{
    runDialog<SiteManagerDialog>([](SiteManagerDialog &) {}, ctx.globals, ctx.prompts,
                                 [this] { ctx.help.ShowTopic(connectTopic); }, siteDatabasePath,
                                 ctx.window);
}

void ConnectionController::mnuLogin_Click()
{
    runDialog<QuickConnectDialog>(
        [this](QuickConnectDialog &dialog) {
            if (quickConnectHistory)
                dialog.useHistory(*quickConnectHistory);
        },
        ctx.globals, ctx.prompts, ctx.window);
}

void ConnectionController::quickConnectTo(const QString &link)
{
    const std::optional<RemoteUrl> url = RemoteUrl::parse(link.trimmed(), nullptr);
    if (!url) {
        ctx.prompts.messageBox(QStringLiteral("无法识别的 FTP 地址: %1").arg(link),
                               Prompts::Buttons::Ok, Prompts::Icon::Warning, title);
        return;
    }
    runDialog<QuickConnectDialog>(
        [this, &url](QuickConnectDialog &dialog) {
            if (quickConnectHistory)
                dialog.useHistory(*quickConnectHistory);
            dialog.fillFrom(*url);
        },
        ctx.globals, ctx.prompts, ctx.window);
}

void ConnectionController::mnuRelogin_Click()
{
    if (!ctx.globals.gDialogCancelled)
        Connect();
}

void ConnectionController::mnuLogout_Click()
{
    if (ctx.session.ConnectionState() == RemoteState::Connected)
        Disconnect();
    remote.clearDirectoryBox();
    ctx.availability.refresh();
}

void ConnectionController::Stop()
{
    const bool running = ctx.session.IsBusy() || ctx.gate.busy();
    ctx.session.StopTransfer();
    ctx.status.stopped(running);
}

void ConnectionController::DropForExit()
{
    if (ctx.session.ConnectionState() == RemoteState::Connected)
        ctx.session.DropConnection();
}
