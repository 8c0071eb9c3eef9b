#pragma once

#include "app/MainWindowUi.h"
#include "panes/Commands.h"
#include "panes/WindowState.h"

#include <QMainWindow>
#include <memory>

class CommandDispatch;
class ExitSequence;
class HelpLauncher;
class LocalPane;
class MainLayout;
class PaneCommands;
class SessionLog;
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
    SessionLog &log() { return *sessionLog; }
    MainLayout &mainLayout() { return *layoutControl; }
    CommandDispatch &dispatch() { return *commandDispatch; }
    PaneCommands &paneCommands() { return *panes; }
    HelpLauncher &help() { return *helpLauncher; }
    LocalPane &localPane() { return *local; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void wireCommands();
    void showOptions();
    void showAbout();
    // Whether the FTP session is carrying out an operation.
    bool ftpBusy() const;

    Platform &platform;
    Globals &globals;
    Commands cmds;
    WindowState windowState;
    MainWindowUi widgets;
    std::unique_ptr<SessionLog> sessionLog;
    std::unique_ptr<HelpLauncher> helpLauncher;
    MainLayout *layoutControl = nullptr;
    CommandDispatch *commandDispatch = nullptr;
    LocalPane *local = nullptr;
    std::unique_ptr<PaneCommands> panes;
    std::unique_ptr<ExitSequence> exitSequence;
};
