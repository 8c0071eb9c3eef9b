#pragma once

#include "connection/CertificateTrust.h"
#include "connection/SshQuestions.h"

#include <QObject>
#include <QString>
#include <memory>

class QuickConnectHistory;
class RemoteBrowser;
class SettingsStore;
class WindowContext;

// Opens and closes the connection of the main window, FTP or SFTP as the
// site says, and keeps the window in step with it: caption (which says when
// the session is encrypted, and SSH), the status picture and the remote
// pane. It answers the session's questions: server certificates
// (CertificateTrust), host keys, passwords and keyboard-interactive
// questions of SSH (SshQuestions).
// The menus and buttons follow the connection through CommandState.
//
// The site manager and quick connect write the session globals only when the
// user confirms; a dialog closed any other way connects nothing and leaves
// "重新连接" working with the globals of the last confirmed dialog.
class ConnectionController : public QObject
{
    Q_OBJECT
public:
    // `siteDatabasePath` empty: the program's own site file.
    ConnectionController(WindowContext &context, RemoteBrowser &remote,
                         const QString &siteDatabasePath = QString(), QObject *parent = nullptr);
    ~ConnectionController() override;

    // Quick connect offers the servers it was confirmed with, kept in
    // `settings`; without this it remembers nothing.
    void rememberQuickConnects(SettingsStore &settings);

    // Connects with the session globals as they stand.
    void Connect();
    void Disconnect();

    void mnuSit_Click();
    void mnuLogin_Click();
    void mnuRelogin_Click();
    void mnuLogout_Click();
    // A server named by a link (`korvu ftp://user@host:port/path`, or ftps://,
    // sftp://; how the
    // desktop starts Korvu for one): quick connect opens filled in from it
    // and connects when confirmed. A text that is no such link is told in a
    // box and nothing opens.
    void quickConnectTo(const QString &link);
    // The stop command: ends what the session is doing (harmless when idle).
    void Stop();
    // Leaving the program: an open connection is dropped, not closed politely.
    void DropForExit();

    // The component's StateChangedEvent.
    void StateChanged();

private:
    // Shows a connect dialog, made from `args` and handed to `prepare`
    // before it shows, and connects when it was confirmed.
    template <typename Dialog, typename Prepare, typename... Args>
    void runDialog(Prepare prepare, Args &&...args);
    void useSiteProtocol();

    WindowContext &ctx;
    RemoteBrowser &remote;
    QString siteDatabasePath;
    CertificateTrust certificates;
    SshQuestions ssh;
    std::unique_ptr<QuickConnectHistory> quickConnectHistory;
    // The session reached the logged-in state since the last close.
    bool wasConnected = false;
};
