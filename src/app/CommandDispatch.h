#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

class QAction;
class WindowContext;

// Routes the menu items, the toolbar buttons, the pane keys and double
// clicks on the status panels to what each command does, through the
// command gate: while a command runs, the FTP session is busy or a batch
// runs, only stop and exit get through. A toolbar button that stands for a
// menu item runs that item's handler directly, so it works whenever the
// button is enabled, whatever the menu item's own state.
class CommandDispatch : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    explicit CommandDispatch(WindowContext &context, QObject *parent = nullptr);

    // What a menu item does when chosen (and what the toolbar buttons that
    // stand for it do).
    void setHandler(QAction *menuItem, Handler handler);
    // Buttons with an action of their own: "下载", "上传" and "停止操作".
    void setButtonHandler(const QString &key, Handler handler);

    // tbToolBar's click handler. Unknown keys do nothing.
    void ButtonClick(const QString &key);
    // A double click on a status panel: the panel "Status" stops the running
    // operation, the others do nothing.
    void StatusPanelDblClick(const QString &key);

private:
    // Download or upload, as the active file pane's button.
    void mnuUpDown_Click();
    void trigger(QAction *action);
    Handler handlerOf(QAction *action) const;

    WindowContext &ctx;
    QHash<QAction *, Handler> handlers;
    QHash<QAction *, QAction *> menuItemOfButton;
    // Stop and exit pass the gate whatever runs.
    QSet<QAction *> unstoppable;
};
