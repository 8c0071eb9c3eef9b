#include "app/CommandDispatch.h"

#include "window/CommandIds.h"
#include "window/Commands.h"
#include "window/WindowContext.h"

#include <QAction>
#include <QMenu>

namespace {
// Toolbar buttons that do what a menu item does.
const struct
{
    const QString &key;
    QAction *Commands::*menuItem;
} buttonMenuItems[] = {
    {ToolbarKey::Site, &Commands::mnuSit},          {ToolbarKey::Connect, &Commands::mnuLogin},
    {ToolbarKey::Reconnect, &Commands::mnuRelogin}, {ToolbarKey::Disconnect, &Commands::mnuLogout},
    {ToolbarKey::Refresh, &Commands::mnuRefresh},   {ToolbarKey::List, &Commands::mnuViewList},
    {ToolbarKey::Report, &Commands::mnuViewReport}, {ToolbarKey::Delete, &Commands::mnuDel},
    {ToolbarKey::Rename, &Commands::mnuRename},     {ToolbarKey::NewFolder, &Commands::mnuMakeDir},
    {ToolbarKey::Run, &Commands::mnuRun},           {ToolbarKey::Show, &Commands::mnuShow},
    {ToolbarKey::Property, &Commands::mnuProperty},
};
} // namespace

CommandDispatch::CommandDispatch(WindowContext &context, QObject *parent)
    : QObject(parent), ctx(context)
{
    const Commands &commands = ctx.commands;
    for (QMenu *menu : {commands.fileMenu, commands.editMenu, commands.viewMenu, commands.helpMenu,
                        commands.statusMenu}) {
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator())
                connect(item, &QAction::triggered, this, [this, item] { trigger(item); });
        }
    }
    for (QAction *button : commands.buttons)
        connect(button, &QAction::triggered, this, [this, button] { trigger(button); });
    for (QAction *key : {commands.keyParentFolder, commands.keySelectAll})
        connect(key, &QAction::triggered, this, [this, key] { trigger(key); });
    for (const auto &entry : buttonMenuItems)
        menuItemOfButton.insert(commands.button(entry.key), commands.*entry.menuItem);
    unstoppable = {commands.mnuExit, commands.button(ToolbarKey::Stop)};
    setHandler(commands.mnuUpDown, [this] { mnuUpDown_Click(); });
}

void CommandDispatch::setHandler(QAction *menuItem, Handler handler)
{
    handlers.insert(menuItem, std::move(handler));
}

void CommandDispatch::setButtonHandler(const QString &key, Handler handler)
{
    handlers.insert(ctx.commands.button(key), std::move(handler));
}

CommandDispatch::Handler CommandDispatch::handlerOf(QAction *action) const
{
    return handlers.value(menuItemOfButton.value(action, action));
}

void CommandDispatch::trigger(QAction *action)
{
    const Handler handler = handlerOf(action);
    if (!handler)
        return;
    if (unstoppable.contains(action))
        ctx.gate.runAlways(handler);
    else
        ctx.gate.run(handler);
}

void CommandDispatch::ButtonClick(const QString &key)
{
    if (QAction *button = ctx.commands.button(key))
        trigger(button);
}

void CommandDispatch::StatusPanelDblClick(const QString &key)
{
    if (key == QLatin1String("Status"))
        ButtonClick(ToolbarKey::Stop);
}

void CommandDispatch::mnuUpDown_Click()
{
    // Already inside the gate: the button's handler runs directly.
    const QString key =
        ctx.availability.filePane() == Pane::Remote ? ToolbarKey::Download : ToolbarKey::Upload;
    const Handler handler = handlerOf(ctx.commands.button(key));
    if (handler)
        handler();
}
