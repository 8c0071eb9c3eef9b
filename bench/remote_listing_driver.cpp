// Times the remote pane listing a large server directory, from
// DoRemoteRefresh until the sorted pane is painted, and a header click that
// re-sorts every row. The script beside it runs `korvu-ftp ls` on the same
// directory in the same run, so the pane's own cost shows on top of the
// protocol's.
//
//   bench_remote_listing HOST PORT USER PASSWORD DIR [RUNS]

#include "BenchDriver.h"
#include "BenchTiming.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PaneSorting.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"
#include "window/Commands.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QVBoxLayout>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    runOffscreenUnlessSet();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!hasArguments(args, 6, "bench_remote_listing HOST PORT USER PASSWORD DIR [RUNS]"))
        return 2;
    const QString dir = args.at(5);
    const int runs = args.size() > 6 ? std::max(1, args.at(6).toInt()) : 5;

    QWidget window;
    auto *fraRemote = new QGroupBox(QStringLiteral("远程视图"), &window);
    auto *cmbRemoteDir = new QComboBox(fraRemote);
    FileListModel model({QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期"),
                         QStringLiteral("权限")});
    auto *lvwRemote = new FileListView(&model, fraRemote);
    // As the main window sets them: the size and date columns fit their texts.
    lvwRemote->setColumnWidthsTwips({1440, 1000, 1440, 1000});
    lvwRemote->setFittedColumns({1, 2});
    auto *frame = new QVBoxLayout(fraRemote);
    frame->addWidget(cmbRemoteDir);
    frame->addWidget(lvwRemote);
    (new QVBoxLayout(&window))->addWidget(fraRemote);
    window.resize(900, 700);

    Commands commands;
    WindowState state;
    Globals g;
    g.gTimeout = 120;
    FtpSession session;
    SessionLog log(nullptr);
    ScriptedPrompts prompts;
    ScriptedShell shell;
    StatusPanels statusBar;
    WindowContext context({&window, session, g, state, commands, log, prompts, shell, &statusBar});
    RemotePane pane(context, lvwRemote, cmbRemoteDir, fraRemote);
    window.show();
    QCoreApplication::processEvents();

    if (!logIn(session, args.at(1), args.at(2).toInt(), args.at(3), args.at(4), g.gTimeout))
        return 1;

    std::vector<double> refresh;
    for (int run = 0; run < runs; ++run) {
        // From elsewhere each time, so every run changes directory and lists.
        QString root = QStringLiteral("/");
        pane.ListRemoteDir(root);
        QElapsedTimer timer;
        timer.start();
        pane.DoRemoteRefresh(dir);
        lvwRemote->grab(); // lays the rows out and paints the visible ones
        refresh.push_back(msSince(timer));
    }

    pane.SortRemoteByName();
    std::vector<double> clicks;
    for (int section : {1, 0, 2, 0}) {
        QElapsedTimer timer;
        timer.start();
        SortByHeader(model, section);
        lvwRemote->grab();
        clicks.push_back(msSince(timer));
    }

    std::printf("directory            %s (%d rows with the parent row)\n", qPrintable(dir),
                int(model.rowCount()));
    std::printf("korvu DoRemoteRefresh %s ms over %d runs (listed, filled, sorted, painted)\n",
                qPrintable(shown(spreadOf(refresh))), runs);
    std::printf("header click         %s ms (all rows re-sorted, folders first, painted)\n",
                qPrintable(shown(spreadOf(clicks))));
    return 0;
}
