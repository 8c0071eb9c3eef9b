#include "app/CommandDispatch.h"

#include "panes/Commands.h"

#include <QAction>
#include <QMenu>

namespace {
// Toolbar keys that do what a menu item does.
const struct
{
    const char *key;
    QAction *Commands::*menuItem;
} buttonMenuItems[] = {
    {"站点管理", &Commands::mnuSit},
    {"连接", &Commands::mnuLogin},
    {"重新连接", &Commands::mnuRelogin},
    {"断开连接", &Commands::mnuLogout},
    {"刷新", &Commands::mnuRefresh},
    {"列表视图", &Commands::mnuViewList},
    {"详细资料", &Commands::mnuViewReport},
    {"删除", &Commands::mnuDel},
    {"重命名", &Commands::mnuRename},
    {"新建文件夹", &Commands::mnuMakeDir},
    {"运行", &Commands::mnuRun},
    {"查看", &Commands::mnuShow},
    {"属性", &Commands::mnuProperty},
};
} // namespace

CommandDispatch::CommandDispatch(Commands &commands, QObject *parent)
    : QObject(parent), commands(commands)
{
    for (QMenu *menu : {commands.fileMenu, commands.editMenu, commands.viewMenu, commands.helpMenu,
                        commands.statusMenu}) {
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator())
                connect(item, &QAction::triggered, this, [this, item] { run(item); });
        }
    }
    for (auto it = commands.buttons.constBegin(); it != commands.buttons.constEnd(); ++it) {
        const QString key = it.key();
        connect(it.value(), &QAction::triggered, this, [this, key] { ButtonClick(key); });
    }
    setHandler(commands.mnuUpDown, [this] { mnuUpDown_Click(); });
}

void CommandDispatch::setHandler(QAction *menuItem, Handler handler)
{
    menuHandlers.insert(menuItem, std::move(handler));
}

void CommandDispatch::setButtonHandler(const QString &key, Handler handler)
{
    buttonHandlers.insert(key, std::move(handler));
}

void CommandDispatch::run(QAction *menuItem)
{
    const Handler handler = menuHandlers.value(menuItem);
    if (handler)
        handler();
}

void CommandDispatch::ButtonClick(const QString &key)
{
    for (const auto &entry : buttonMenuItems) {
        if (key == QString::fromUtf8(entry.key)) {
            run(commands.*entry.menuItem);
            return;
        }
    }
    const Handler handler = buttonHandlers.value(key);
    if (handler)
        handler();
}

void CommandDispatch::StatusPanelDblClick(const QString &key)
{
    if (key == QLatin1String("Status"))
        ButtonClick(QStringLiteral("停止操作"));
}

void CommandDispatch::mnuUpDown_Click()
{
    const QString caption = commands.mnuUpDown->text();
    if (caption == QStringLiteral("上传(&U)"))
        ButtonClick(QStringLiteral("上传"));
    else if (caption == QStringLiteral("下载(&D)"))
        ButtonClick(QStringLiteral("下载"));
}
