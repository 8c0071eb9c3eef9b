#include "window/CommandSurface.h"

#include "window/CommandIds.h"
#include "window/Commands.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {
struct ToolbarButton
{
    const QString *key; // also the caption
    const char *toolTip;
    const char *themeIcon;
    QStyle::StandardPixmap fallback;
};

// Left to right; a null key is a separator. The two view buttons use the
// style's own list and details pictures: icon themes have none that tell
// the two modes apart.
const ToolbarButton toolbarButtons[] = {
    {&ToolbarKey::Site, nullptr, "network-server", QStyle::SP_DriveNetIcon},
    {&ToolbarKey::Connect, nullptr, "network-wired", QStyle::SP_DriveNetIcon},
    {&ToolbarKey::Reconnect, nullptr, "mail-send-receive", QStyle::SP_BrowserReload},
    {&ToolbarKey::Disconnect, nullptr, "network-offline", QStyle::SP_DialogCancelButton},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {&ToolbarKey::Download, nullptr, "go-down", QStyle::SP_ArrowDown},
    {&ToolbarKey::Upload, nullptr, "go-up", QStyle::SP_ArrowUp},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {&ToolbarKey::Stop, nullptr, "process-stop", QStyle::SP_BrowserStop},
    {&ToolbarKey::Refresh, nullptr, "view-refresh", QStyle::SP_BrowserReload},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {&ToolbarKey::List, nullptr, nullptr, QStyle::SP_FileDialogListView},
    {&ToolbarKey::Report, nullptr, nullptr, QStyle::SP_FileDialogDetailedView},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {&ToolbarKey::Delete, nullptr, "edit-delete", QStyle::SP_TrashIcon},
    {&ToolbarKey::Rename, nullptr, "insert-text", QStyle::SP_FileDialogContentsView},
    {&ToolbarKey::NewFolder, nullptr, "folder-new", QStyle::SP_FileDialogNewFolder},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {&ToolbarKey::Run, nullptr, "system-run", QStyle::SP_MediaPlay},
    {&ToolbarKey::Show, nullptr, "document-print-preview", QStyle::SP_FileDialogContentsView},
    {&ToolbarKey::Property, "文件属性", "document-properties", QStyle::SP_FileDialogInfoView},
};

QIcon themedIcon(const char *themeName, QStyle::StandardPixmap fallback)
{
    QIcon icon;
    if (themeName)
        icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(fallback);
    return icon;
}

QMenu *addTopMenu(QMainWindow *window, const char *name, const QString &title, QAction **entry)
{
    QMenu *menu = window->menuBar()->addMenu(title);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    *entry = menu->menuAction();
    return menu;
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void addSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}
} // namespace

void CommandSurface::build(QMainWindow *window, Commands &commands)
{
    buildMenus(window, commands);
    window->addToolBar(buildToolbar(window, commands));
    buildKeys(window, commands);
}

void CommandSurface::buildMenus(QMainWindow *window, Commands &c)
{
    c.fileMenu = addTopMenu(window, "mnuFile", QStringLiteral("文件(&F)"), &c.mnuFile);
    c.mnuSit = addItem(c.fileMenu, "mnuSit", QStringLiteral("站点管理器(M)..."));
    c.mnuLogin = addItem(c.fileMenu, "mnuLogin", QStringLiteral("快速连接(&L)..."));
    addSeparator(c.fileMenu, "mnu1");
    c.mnuRelogin = addItem(c.fileMenu, "mnuRelogin", QStringLiteral("重新连接(&R)"));
    c.mnuLogout = addItem(c.fileMenu, "mnuLogout", QStringLiteral("断开(&O)"));
    addSeparator(c.fileMenu, "mnuFileBar0");
    c.mnuExit = addItem(c.fileMenu, "mnuExit", QStringLiteral("退出(&X)"));

    c.editMenu = addTopMenu(window, "mnuEdit", QStringLiteral("操作(&A)"), &c.mnuEdit);
    c.mnuUpDown = addItem(c.editMenu, "mnuUpDown", QStringLiteral("上传/下载(&U)"));
    addSeparator(c.editMenu, "mnuEdit1");
    c.mnuMakeDir = addItem(c.editMenu, "mnuMakeDir", QStringLiteral("新建文件夹(&D)..."));
    c.mnuRename = addItem(c.editMenu, "mnuRename", QStringLiteral("重命名(&R)"));
    c.mnuDel = addItem(c.editMenu, "mnuDel", QStringLiteral("删除(&D)"));
    addSeparator(c.editMenu, "mnuEditBar0");
    c.mnuEditSelectAll = addItem(c.editMenu, "mnuEditSelectAll", QStringLiteral("全选(&A)"));
    c.mnuRefresh = addItem(c.editMenu, "mnuRefresh", QStringLiteral("刷新(&R)"));
    c.mnuRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    addSeparator(c.editMenu, "mnuEditBar1");
    c.mnuProperty = addItem(c.editMenu, "mnuProperty", QStringLiteral("属性(&P)"));
    c.mnuShow = addItem(c.editMenu, "mnuShow", QStringLiteral("查看(&S)"));
    c.mnuEditFile = addItem(c.editMenu, "mnuEditFile", QStringLiteral("编辑(&E)"));
    c.mnuRun = addItem(c.editMenu, "mnuRun", QStringLiteral("运行(&R)"));

    c.viewMenu = addTopMenu(window, "mnuView", QStringLiteral("视图(&V)"), &c.mnuView);
    c.mnuViewList = addItem(c.viewMenu, "mnuViewList", QStringLiteral("列表视图(&L)"));
    c.mnuViewReport = addItem(c.viewMenu, "mnuViewReport", QStringLiteral("详细资料(&D)"));
    addSeparator(c.viewMenu, "mnuViewBar1");
    c.mnuViewCompare = addItem(c.viewMenu, "mnuViewCompare", QStringLiteral("目录比较(&C)"));
    c.mnuViewCompareHide =
        addItem(c.viewMenu, "mnuViewCompareHide", QStringLiteral("隐藏相同的文件(&H)"));
    c.mnuViewCompare->setCheckable(true);
    c.mnuViewCompareHide->setCheckable(true);
    addSeparator(c.viewMenu, "mnuViewBar2");
    c.mnuViewOptions = addItem(c.viewMenu, "mnuViewOptions", QStringLiteral("选项(&O)..."));
    // The panes start in the details view.
    c.mnuViewList->setCheckable(true);
    c.mnuViewReport->setCheckable(true);
    c.mnuViewReport->setChecked(true);

    c.helpMenu = addTopMenu(window, "mnuHelp", QStringLiteral("帮助(&H)"), &c.mnuHelp);
    c.mnuHelpContents = addItem(c.helpMenu, "mnuHelpContents", QStringLiteral("帮助主题(&C)"));
    c.mnuEmail = addItem(c.helpMenu, "mnuEmail", QStringLiteral("给作者写信(&E)"));
    addSeparator(c.helpMenu, "mnuHelpBar0");
    c.mnuHelpAbout = addItem(c.helpMenu, "mnuHelpAbout", QStringLiteral("关于 Korvu(&A) "));

    // The queue list's pop-up menu is not on the menu bar.
    c.statusMenu = new QMenu(QStringLiteral("状态菜单"), window);
    c.statusMenu->setObjectName(QStringLiteral("mnuPopStaus"));
    c.statusMenu->menuAction()->setObjectName(QStringLiteral("mnuPopStaus"));
    c.mnuStatusClear = addItem(c.statusMenu, "mnuStatusClear", QStringLiteral("清除记录(&C)"));
    c.mnuStatusDel = addItem(c.statusMenu, "mnuStatusDel", QStringLiteral("删除条目(&D)"));
}

// The keys live on the panes they act on (MainWindowUi attaches them), so
// Backspace and Ctrl+A keep their usual meaning in the folder boxes and the
// log.
void CommandSurface::buildKeys(QMainWindow *window, Commands &c)
{
    const auto key = [window](const char *name, const QKeySequence &sequence) {
        auto *action = new QAction(window);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        return action;
    };
    c.keyParentFolder = key("keyParentFolder", QKeySequence(Qt::Key_Backspace));
    c.keySelectAll = key("keySelectAll", QKeySequence::SelectAll);
}

QToolBar *CommandSurface::buildToolbar(QMainWindow *window, Commands &commands)
{
    auto *toolbar = new QToolBar(QStringLiteral("工具栏"), window);
    toolbar->setObjectName(QStringLiteral("tbToolBar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    toolbar->toggleViewAction()->setEnabled(false);

    for (const ToolbarButton &entry : toolbarButtons) {
        if (!entry.key) {
            toolbar->addSeparator();
            continue;
        }
        const QString &key = *entry.key;
        QAction *button = toolbar->addAction(themedIcon(entry.themeIcon, entry.fallback), key);
        button->setObjectName(key);
        button->setData(key);
        button->setToolTip(entry.toolTip ? QString::fromUtf8(entry.toolTip) : key);
        commands.buttons.insert(key, button);
    }
    return toolbar;
}
