#include "PaneTestSupport.h"

#include "panes/FileListView.h"
#include "panes/LocalPane.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
QAction *item(QMenu *menu, const char *name, const char *caption)
{
    QAction *action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}
} // namespace

TestCommands::TestCommands()
{
    Commands &c = commands;
    c.fileMenu = new QMenu(QStringLiteral("文件(&F)"), this);
    c.mnuFile = c.fileMenu->menuAction();
    c.mnuSit = item(c.fileMenu, "mnuSit", "站点管理器(M)...");
    c.mnuLogin = item(c.fileMenu, "mnuLogin", "快速连接(&L)...");
    c.mnuRelogin = item(c.fileMenu, "mnuRelogin", "重新连接(&R)");
    c.mnuLogout = item(c.fileMenu, "mnuLogout", "断开(&O)");
    c.editMenu = new QMenu(QStringLiteral("操作(&A)"), this);
    c.mnuEdit = c.editMenu->menuAction();
    c.mnuUpDown = item(c.editMenu, "mnuUpDown", "上传/下载(&U)");
    c.mnuMakeDir = item(c.editMenu, "mnuMakeDir", "新建文件夹(&D)...");
    c.mnuRename = item(c.editMenu, "mnuRename", "重命名(&R)");
    c.mnuDel = item(c.editMenu, "mnuDel", "删除(&D)");
    c.mnuEditSelectAll = item(c.editMenu, "mnuEditSelectAll", "全选(&A)");
    c.mnuRefresh = item(c.editMenu, "mnuRefresh", "刷新(&R)");
    c.mnuProperty = item(c.editMenu, "mnuProperty", "属性(&P)");
    c.mnuShow = item(c.editMenu, "mnuShow", "查看(&S)");
    c.mnuRun = item(c.editMenu, "mnuRun", "运行(&R)");
    c.statusMenu = new QMenu(QStringLiteral("状态菜单"), this);
    c.mnuStatusClear = item(c.statusMenu, "mnuStatusClear", "清除记录(&C)");
    c.mnuStatusDel = item(c.statusMenu, "mnuStatusDel", "删除条目(&D)");
    c.viewMenu = new QMenu(QStringLiteral("视图(&V)"), this);
    c.mnuView = c.viewMenu->menuAction();
    c.mnuViewList = item(c.viewMenu, "mnuViewList", "列表视图(&L)");
    c.mnuViewReport = item(c.viewMenu, "mnuViewReport", "详细资料(&D)");
    c.mnuViewList->setCheckable(true);
    c.mnuViewReport->setCheckable(true);
    for (const char *key :
         {"站点管理", "连接", "重新连接", "断开连接", "下载", "上传", "停止操作", "刷新",
          "列表视图", "详细资料", "删除", "重命名", "新建文件夹", "运行", "查看", "属性"}) {
        auto *button = new QAction(QString::fromUtf8(key), this);
        c.buttons.insert(button->text(), button);
    }
}

TestContext::TestContext(QWidget *window, Commands &commands, QPlainTextEdit *txtLog, Shell &shell)
    : log(txtLog), context({window, ftp, g, state, commands, log, prompts, shell, {}})
{
    ftp.setTimeoutMs(10000);
}

LocalPaneRig::LocalPaneRig(const QStringList &driveList)
    : commands(actions.commands), drives(driveList), txtLog(new QPlainTextEdit(this)),
      parts(std::make_unique<TestContext>(this, commands, txtLog, shell)), state(parts->state),
      context(parts->context)
{
    setWindowTitle(QStringLiteral("Korvu"));
    model = new FileListModel(
        {QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期")}, this);
    fraLocal = new QGroupBox(QStringLiteral("本地视图"), this);
    cmbLocalDir = new QComboBox(fraLocal);
    cmbLocalDir->setEditable(true);
    lvwLocal = new FileListView(model, fraLocal);
    auto *frameLayout = new QVBoxLayout(fraLocal);
    frameLayout->addWidget(cmbLocalDir);
    frameLayout->addWidget(lvwLocal);
    elsewhere = new QLineEdit(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraLocal);
    layout->addWidget(elsewhere);
    layout->addWidget(txtLog);
    resize(500, 600);

    pane = std::make_unique<LocalPane>(context, drives, lvwLocal, cmbLocalDir, fraLocal);
    context.availability.setSources({[this] { return pane->selectedRowKind(); },
                                     {},
                                     {},
                                     {},
                                     [this](Pane) { return lvwLocal->viewMode(); }});
    context.availability.refresh();
}

LocalPaneRig::~LocalPaneRig() = default;

QStringList LocalPaneRig::texts() const
{
    QStringList out;
    for (const FileRow &row : model->rows())
        out << row.text;
    return out;
}

QStringList LocalPaneRig::history() const
{
    QStringList out;
    for (int i = 0; i < cmbLocalDir->count(); ++i)
        out << cmbLocalDir->itemText(i);
    return out;
}

int LocalPaneRig::rowOf(const QString &text) const
{
    return texts().indexOf(text);
}

void LocalPaneRig::select(const QString &text)
{
    lvwLocal->selectRow(rowOf(text));
}

bool makeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (size > 0 && !file.resize(size))
        return false;
    return true;
}

QStringList enumeratedFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Unsorted);
}
