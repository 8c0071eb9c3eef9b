#pragma once

class QMainWindow;
class QToolBar;
struct Commands;

// Builds the main window's commands: the menu bar, the toolbar, the queue
// list's pop-up menu and the keys of the file panes, with their captions,
// keys, tool tips and object names, and records every item in `commands`. What the items do is
// wired elsewhere (CommandDispatch).
class CommandSurface
{
public:
    static void build(QMainWindow *window, Commands &commands);

private:
    static void buildMenus(QMainWindow *window, Commands &commands);
    static QToolBar *buildToolbar(QMainWindow *window, Commands &commands);
    static void buildKeys(QMainWindow *window, Commands &commands);
};
