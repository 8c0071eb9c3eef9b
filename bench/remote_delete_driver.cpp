// Times the remote pane deleting a server folder tree: the folder's row is
// chosen and deleted as the user does it (the question answered OK), the
// pane showing the folder and repainting as its rows leave. The script
// beside it times lftp's "rm -r" on the same tree in the same run.
//
//   bench_remote_delete HOST PORT USER PASSWORD DIR NAME

#include "BenchDriver.h"
#include "BenchTiming.h"
#include "fileops/RemoteFileOps.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"
#include "transfer/ProgressDisplay.h"
#include "transfer/QueueList.h"
#include "transfer/TransferList.h"
#include "window/Commands.h"
#include "window/DirCombos.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char **argv)
{
    runOffscreenUnlessSet();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!hasArguments(args, 7, "bench_remote_delete HOST PORT USER PASSWORD DIR NAME"))
        return 2;
    const QString dir = args.at(5);
    const QString name = args.at(6);

    QWidget window;
    auto *fraRemote = new QGroupBox(QStringLiteral("远程视图"), &window);
    auto *cmbRemoteDir = new QComboBox(fraRemote);
    auto *cmbLocalDir = new QComboBox(&window);
    FileListModel model({QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期"),
                         QStringLiteral("权限")});
    FileListModel records({QStringLiteral("状态"), QStringLiteral("本地"), QStringLiteral("大小"),
                           QStringLiteral("方向"), QStringLiteral("远程"), QStringLiteral("主机")});
    auto *lvwRemote = new FileListView(&model, fraRemote);
    auto *lvwStatus = new FileListView(&records, &window);
    auto *txtLog = new QPlainTextEdit(&window);
    auto *statusBar = new StatusPanels(&window);
    auto *frame = new QVBoxLayout(fraRemote);
    frame->addWidget(cmbRemoteDir);
    frame->addWidget(lvwRemote);
    auto *layout = new QVBoxLayout(&window);
    for (QWidget *part : {static_cast<QWidget *>(cmbLocalDir), static_cast<QWidget *>(fraRemote),
                          static_cast<QWidget *>(lvwStatus), static_cast<QWidget *>(txtLog),
                          static_cast<QWidget *>(statusBar)})
        layout->addWidget(part);
    window.resize(900, 700);

    Commands commands;
    WindowState state;
    Globals g;
    g.gTimeout = 120;
    g.gHost = args.at(1);
    FtpSession session;
    SessionLog log(txtLog);
    ScriptedPrompts prompts; // the question is answered OK
    ScriptedShell shell;
    WindowContext context({&window, session, g, state, commands, log, prompts, shell, statusBar});
    RemotePane pane(context, lvwRemote, cmbRemoteDir, fraRemote);
    ProgressDisplay progress(context);
    QueueList queue(context, lvwStatus);
    TransferList transfers(lvwRemote, lvwRemote);
    RemoteFileOps remote(context, pane, lvwRemote, DirCombos{cmbLocalDir, cmbRemoteDir}, transfers,
                         queue);
    window.show();
    QCoreApplication::processEvents();

    if (!logIn(session, args.at(1), args.at(2).toInt(), args.at(3), args.at(4), g.gTimeout))
        return 1;
    pane.DoRemoteRefresh(dir);
    const int row = model.findText(name);
    if (row < 0) {
        std::fprintf(stderr, "%s is not listed in %s\n", qPrintable(name), qPrintable(dir));
        return 1;
    }
    lvwRemote->selectRow(row);

    QElapsedTimer timer;
    timer.start();
    remote.RemoteDelete();
    const double elapsed = msSince(timer);

    const QString outcome = records.rowCount() == 1 ? records.row(0).text : QString();
    if (outcome != QueueList::Deleted || model.findText(name) >= 0) {
        std::fprintf(stderr, "the delete did not end as deleted: %s\n%s\n", qPrintable(outcome),
                     qPrintable(log.text().right(2000)));
        return 1;
    }
    std::printf("korvu RemoteDelete %.0f ms (%s in %s, pane painted as it went)\n", elapsed,
                qPrintable(name), qPrintable(dir));
    return 0;
}
