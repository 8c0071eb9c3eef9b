#pragma once

#include "window/CommandGate.h"
#include "window/CommandState.h"
#include "window/HelpLauncher.h"
#include "window/StatusIndicator.h"

class RemoteSession;
class Prompts;
class QWidget;
class SessionLog;
class Shell;
class StatusPanels;
struct Commands;
struct Globals;
struct WindowState;

// What every controller of the main window works with: the remote session, the
// program-wide values, the window's state and commands, the log and the
// desktop services, and the window-wide parts built on them (the command
// gate, the command authority, the status picture and the help).
class WindowContext
{
public:
    struct Parts
    {
        QWidget *window; // the main window: the owner of the dialogs
        RemoteSession &session;
        Globals &globals;
        WindowState &state;
        Commands &commands;
        SessionLog &log;
        Prompts &prompts;
        Shell &shell;
        StatusPanels *statusBar; // sbStatusBar
    };

    explicit WindowContext(const Parts &parts);
    WindowContext(const WindowContext &) = delete;
    WindowContext &operator=(const WindowContext &) = delete;

    QWidget *const window;
    RemoteSession &session;
    Globals &globals;
    WindowState &state;
    Commands &commands;
    SessionLog &log;
    Prompts &prompts;
    Shell &shell;
    StatusPanels *const statusBar;

    CommandGate gate;
    CommandState availability;
    StatusIndicator status;
    HelpLauncher help;

    // The session is logged in.
    bool connected() const;
    // Logged in and no call running: what remote commands wait for.
    bool ready() const;
};
