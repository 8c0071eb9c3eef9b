#include "app/UnbuiltCommands.h"

#include "panes/Commands.h"

#include <QAction>

void UnbuiltCommands::hold(Commands &c)
{
    const QList<QAction *> held = {
        // Transfers
        c.mnuUpDown,
        c.button(QStringLiteral("下载")),
        c.button(QStringLiteral("上传")),
        // File operations
        c.mnuMakeDir,
        c.mnuRename,
        c.mnuDel,
        c.button(QStringLiteral("新建文件夹")),
        c.button(QStringLiteral("重命名")),
        c.button(QStringLiteral("删除")),
        // Run, view, properties
        c.mnuRun,
        c.mnuShow,
        c.mnuProperty,
        c.button(QStringLiteral("运行")),
        c.button(QStringLiteral("查看")),
        c.button(QStringLiteral("属性")),
        // The queue list's records
        c.mnuStatusClear,
        c.mnuStatusDel,
    };
    for (QAction *action : held)
        c.setAvailable(action, false);
}
