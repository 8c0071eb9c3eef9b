#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class QAction;
class QMenu;

// The main window's command surface as the controllers see it: every menu
// item by its object name and every toolbar button by its key. The main
// window creates the actions; controllers enable, check and caption them.
//
// Commands whose feature is not part of the program yet are held disabled
// through `setAvailable(..., false)`: `enable()` never switches them on, so
// nothing looks like it works when it does not.
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
    QAction *mnuRun = nullptr;
    // 视图(&V)
    QMenu *viewMenu = nullptr;
    QAction *mnuView = nullptr;
    QAction *mnuViewList = nullptr;
    QAction *mnuViewReport = nullptr;
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

    // Toolbar buttons by key ("站点管理", "连接", ..., "属性").
    QHash<QString, QAction *> buttons;

    QAction *button(const QString &key) const { return buttons.value(key); }

    // Enables or disables an action, keeping unavailable commands disabled.
    void enable(QAction *action, bool on) const;
    void enableButton(const QString &key, bool on) const { enable(button(key), on); }
    void setAvailable(QAction *action, bool available);
    bool isAvailable(QAction *action) const { return !unavailable.contains(action); }

private:
    QSet<QAction *> unavailable;
};
