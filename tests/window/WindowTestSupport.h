#pragma once

#include "ftp/FtpSession.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "window/Commands.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QMainWindow>

class QPlainTextEdit;
class Shell;

// The main window's menus and toolbar, built as the program builds them, in
// a window of their own that is never shown.
class TestCommands : public QMainWindow
{
public:
    TestCommands();
    Commands commands;
};

// The window-wide parts a pane works with, writing to `txtLog`: the window
// state, the program-wide values, an FTP session, scripted prompts, a status
// bar, and the context (command gate, command authority) built on them.
struct TestContext
{
    TestContext(QWidget *window, Commands &commands, QPlainTextEdit *txtLog, Shell &shell);

    WindowState state;
    Globals g;
    FtpSession session;
    ScriptedPrompts prompts;
    StatusPanels *statusBar; // owned by the window
    SessionLog log;
    WindowContext context;
};
