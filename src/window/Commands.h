#pragma once

#include "window/CommandIds.h"

#include <QHash>
#include <QString>

class QAction;
class QMenu;

// The main window's command surface: every menu item by its object name and
// every toolbar button by its key. The main window creates the actions;
// CommandState alone decides whether they are enabled, and CommandDispatch
// what they do.
struct Commands
{
    // 文件(&F)
    QMenu *fileMenu = nullptr;
    QAction *mnuFile = nullptr; // fileMenu's menu-bar entry
    QAction *mnuSit = nullptr;
    QAction *mnuLogin = nullptr;
    QAction *mnuRelogin = nullptr;
    QAction *mnuLogout = nullptr;
    QAction *mnuExit = nullptr;
    // 操作(&A); also shown as the panes' context menu
    QMenu *editMenu = nullptr;
    QAction *mnuEdit = nullptr;
    QAction *mnuUpDown = nullptr;
    QAction *mnuMakeDir = nullptr;
    QAction *mnuRename = nullptr;
    QAction *mnuDel = nullptr;
    QAction *mnuEditSelectAll = nullptr;
    QAction *mnuRefresh = nullptr;
    QAction *mnuProperty = nullptr;
    QAction *mnuShow = nullptr;
    QAction *mnuEditFile = nullptr; // a remote file, through a copy watched for saves
    QAction *mnuRun = nullptr;
    // 视图(&V)
    QMenu *viewMenu = nullptr;
    QAction *mnuView = nullptr;
    QAction *mnuViewList = nullptr;
    QAction *mnuViewReport = nullptr;
    QAction *mnuViewCompare = nullptr;     // directory comparison, on or off
    QAction *mnuViewCompareHide = nullptr; // ... without the identical files
    QAction *mnuViewOptions = nullptr;
    // 帮助(&H)
    QMenu *helpMenu = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuEmail = nullptr;
    QAction *mnuHelpAbout = nullptr;
    // The queue list's context menu
    QMenu *statusMenu = nullptr; // "mnuPopStaus"
    QAction *mnuStatusClear = nullptr;
    QAction *mnuStatusDel = nullptr;

    // Keys of the file panes with no menu item of their own: Backspace goes
    // up one folder, Ctrl+A selects every row but the parent row. They act
    // only while a file pane has the focus.
    QAction *keyParentFolder = nullptr;
    QAction *keySelectAll = nullptr;

    // Toolbar buttons by key (ToolbarKey::Site, ..., ToolbarKey::Property).
    QHash<QString, QAction *> buttons;

    QAction *button(const QString &key) const { return buttons.value(key); }
    // The action standing for a command; null when the surface lacks it.
    QAction *action(Cmd command) const;
};
