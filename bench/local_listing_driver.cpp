// Times the local pane listing a large directory, from DoLocalRefresh until
// the sorted pane is painted, against `ls -l` on the same directory in the
// same run (the two alternate, so a busy machine slows both alike), and
// reports what the filled pane costs in memory.
//
//   bench_local_listing DIR [RUNS]

#include "BenchDriver.h"
#include "BenchTiming.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/PaneSorting.h"
#include "platform/Drives.h"
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
#include <QFile>
#include <QGroupBox>
#include <QProcess>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Resident set size in MiB, from the kernel's own account.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

double timeLs(const QString &dir)
{
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    ls.start(QStringLiteral("ls"), {QStringLiteral("-l"), QStringLiteral("--color=never"), dir});
    ls.waitForFinished(-1);
    return msSince(timer);
}
} // namespace

int main(int argc, char **argv)
{
    runOffscreenUnlessSet();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!hasArguments(args, 2, "bench_local_listing DIR [RUNS]"))
        return 2;
    const QString dir = args.at(1);
    const int runs = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 5;

    QWidget window;
    auto *fraLocal = new QGroupBox(QStringLiteral("本地视图"), &window);
    auto *cmbLocalDir = new QComboBox(fraLocal);
    FileListModel model({QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期")});
    auto *lvwLocal = new FileListView(&model, fraLocal);
    // As the main window sets them: the size and date columns fit their texts.
    lvwLocal->setColumnWidthsTwips({1600, 1000, 1440});
    lvwLocal->setFittedColumns({1, 2});
    auto *frame = new QVBoxLayout(fraLocal);
    frame->addWidget(cmbLocalDir);
    frame->addWidget(lvwLocal);
    (new QVBoxLayout(&window))->addWidget(fraLocal);
    window.resize(900, 700);

    Commands commands;
    WindowState state;
    Globals g;
    FtpSession session;
    FixedDrives drives({});
    ScriptedShell shell;
    ScriptedPrompts prompts;
    SessionLog log(nullptr);
    StatusPanels statusBar;
    WindowContext context({&window, session, g, state, commands, log, prompts, shell, &statusBar});
    LocalPane pane(context, drives, lvwLocal, cmbLocalDir, fraLocal);
    window.show();
    QCoreApplication::processEvents();
    lvwLocal->grab();

    const double rssBefore = residentMiB();
    std::vector<double> korvu, ls;
    double rssFilled = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QString path = dir;
        pane.DoLocalRefresh(path);
        lvwLocal->grab(); // lays the rows out and paints the visible ones
        korvu.push_back(msSince(timer));
        if (run == 0)
            rssFilled = residentMiB();
        QCoreApplication::processEvents();
        ls.push_back(timeLs(dir));
    }

    QElapsedTimer timer;
    timer.start();
    SortByHeader(model, 0);
    lvwLocal->grab();
    const double headerClick = msSince(timer);

    lvwLocal->setViewMode(FileListView::ListMode);
    timer.start();
    QString path = dir;
    pane.DoLocalRefresh(path);
    lvwLocal->grab();
    const double listMode = msSince(timer);

    std::printf("directory            %s (%d rows with the parent row)\n", qPrintable(dir),
                int(model.rowCount()));
    std::printf("runs                 %d, each figure median [lowest..highest]\n", runs);
    std::printf("korvu DoLocalRefresh %s ms (filled, sorted, painted)\n",
                qPrintable(shown(spreadOf(korvu))));
    std::printf("ls -l --color=never  %s ms\n", qPrintable(shown(spreadOf(ls))));
    std::printf("ratio korvu / ls     %s (run by run)\n",
                qPrintable(shown(spreadOf(ratiosOf(korvu, ls)), 2)));
    std::printf("rss of filled pane   %.1f MiB (%.1f before, %.1f filled)\n", rssFilled - rssBefore,
                rssBefore, rssFilled);
    std::printf("header click, names  %.0f ms, once (all rows sorted, folders first, painted)\n",
                headerClick);
    std::printf("list view fill       %.0f ms, once (filled, laid out in columns, painted)\n",
                listMode);
    return 0;
}
