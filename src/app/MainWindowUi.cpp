#include "app/MainWindowUi.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "window/CommandSurface.h"
#include "window/Commands.h"
#include "window/StatusPanels.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTreeView>

namespace {
// `fitted`: the columns that widen to show a long size, date or path uncut;
// `fields`: what the columns show, when they are not a file pane's.
FileListView *makeList(const char *name, const QStringList &headers, const QList<int> &widths,
                       const QList<int> &fitted, QWidget *parent,
                       const QVector<RowField> &fields = {})
{
    auto *model = fields.isEmpty() ? new FileListModel(headers, parent)
                                   : new FileListModel(headers, fields, parent);
    auto *view = new FileListView(model, parent);
    view->setObjectName(QString::fromLatin1(name));
    model->setObjectName(QString::fromLatin1(name) + QStringLiteral("Model"));
    view->setColumnWidthsTwips(widths);
    view->setFittedColumns(fitted);
    return view;
}

QGroupBox *makeFrame(const char *name, const QString &caption, QWidget *parent)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

QComboBox *makeFolderBox(const char *name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    return box;
}
} // namespace

void MainWindowUi::setupUi(QMainWindow *window, Commands &commands)
{
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("Korvu"));
    CommandSurface::build(window, commands);

    area = new QWidget(window);
    area->setObjectName(QStringLiteral("frmMainArea"));
    window->setCentralWidget(area);
    setupFilePanes(area);
    setupStatusFrame(area);
    for (FileListView *pane : {lvwLocal, lvwRemote}) {
        pane->setFreeWidthColumn(0);
        pane->setSortIndicatorAlwaysShown(true);
        pane->leaveSelectAllToCommand();
        pane->addActions({commands.keyParentFolder, commands.keySelectAll});
    }

    sbStatusBar = new StatusPanels(window);
    window->setStatusBar(sbStatusBar);
}

void MainWindowUi::setupFilePanes(QWidget *parent)
{
    fraLocal = makeFrame("fraLocal", QStringLiteral("本地视图"), parent);
    cmbLocalDir = makeFolderBox("cmbLocalDir", fraLocal);
    lvwLocal = makeList("lvwLocal",
                        {QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期")},
                        {1600, 1000, 1440}, {1, 2}, fraLocal);

    fraRemote = makeFrame("fraRemote", QStringLiteral("远程视图"), parent);
    cmbRemoteDir = makeFolderBox("cmbRemoteDir", fraRemote);
    lvwRemote = makeList("lvwRemote",
                         {QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期"),
                          QStringLiteral("权限")},
                         {1440, 1000, 1440, 1000}, {1, 2}, fraRemote);

    imgSplitter = new QWidget(parent);
    imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    imgSplitter->setCursor(Qt::SplitHCursor);

    // Between the file panes and the status frame: dragged, it makes the
    // queue and the log taller.
    imgStatusSplitter = new QWidget(parent);
    imgStatusSplitter->setObjectName(QStringLiteral("imgStatusSplitter"));
    imgStatusSplitter->setCursor(Qt::SplitVCursor);

    auto *bar = new QFrame(parent);
    bar->setObjectName(QStringLiteral("picSplitter"));
    bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bar->setBackgroundRole(QPalette::Dark);
    bar->setAutoFillBackground(true);
    bar->hide();
    picSplitter = bar;
}

void MainWindowUi::setupStatusFrame(QWidget *parent)
{
    fraSta = makeFrame("fraSta", QStringLiteral("状态视图"), parent);

    lvwStatus = makeList("lvwStatus",
                         {QStringLiteral("状态"), QStringLiteral("本地"), QStringLiteral("大小"),
                          QStringLiteral("方向"), QStringLiteral("远程"), QStringLiteral("主机")},
                         {1000, 3000, 1000, 600, 3000, 1600}, {1, 2, 4}, fraSta,
                         FileListModel::recordFields());

    lvwQueue = new QTreeView(fraSta);
    lvwQueue->setObjectName(QStringLiteral("lvwQueue"));
    lvwQueue->setAccessibleName(QStringLiteral("传输队列"));
    lvwQueue->hide();

    Progress = new QProgressBar(fraSta);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    Progress->setRange(0, 100);
    Progress->setValue(0);

    lblLog = new QLabel(QStringLiteral("Log"), fraSta);
    lblLog->setObjectName(QStringLiteral("lblLog"));

    txtLog = new QPlainTextEdit(fraSta);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lblLog->setBuddy(txtLog);
}
