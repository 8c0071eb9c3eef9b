#pragma once

#include <QObject>
#include <QString>
#include <functional>

class FtpSession;
class Prompts;
class QWidget;
class RemotePane;
class SessionLog;
struct Commands;
struct Globals;
struct WindowState;

// Opens and closes the FTP connection of the main window and keeps the
// window in step with it: caption, session menus, the toolbar's connection
// buttons, the status picture and the remote pane.
//
// The site manager and quick connect write the session globals only when the
// user confirms; a dialog closed any other way connects nothing and leaves
// "重新连接" working with the globals of the last confirmed dialog.
class ConnectionController : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        std::function<void(int picture)> setStatusPicture; // 1 stopped, 2 closed, 3 connected
        std::function<void()> showHelp;
        QString siteDatabasePath; // empty: the program's own site file
    };

    ConnectionController(QWidget *frmMain, Commands &commands, WindowState &state, Globals &g,
                         FtpSession &ftp, SessionLog &log, RemotePane &remote, Prompts &prompts,
                         Hooks hooks, QObject *parent = nullptr);

    // Connects with the session globals as they stand.
    void Connect();
    void Disconnect();

    void mnuSit_Click();
    void mnuLogin_Click();
    void mnuRelogin_Click();
    void mnuLogout_Click();
    // The stop command: ends a running transfer (harmless when none runs).
    void Stop();
    // Leaving the program: an open connection is dropped, not closed politely.
    void DropForExit();

    // The component's StateChangedEvent.
    void StateChanged();

private:
    // Shows a connect dialog and connects when it was confirmed.
    template <typename Dialog, typename... Args> void runDialog(Args &&...args);

    QWidget *frmMain;
    Commands &commands;
    WindowState &state;
    Globals &g;
    FtpSession &ftp;
    SessionLog &log;
    RemotePane &remote;
    Prompts &prompts;
    Hooks hooks;
};
