// Times the real main window transferring through its toolbar commands: the
// download of one remote entry (a file or a folder) into a local folder, and
// for a file the upload of it back, while a 10 ms timer on the window's
// thread records how late it ever fires (the longest stall a user would
// feel). The script bench/gui_transfer runs korvu-ftp and curl beside it.
//
//   bench_gui_transfer HOST PORT REMOTE_DIR NAME LOCAL_DIR [UPLOAD_DIR]
//
// Prints "download SECONDS", "stall_download MS", "cpu_download MS" (the
// processor time of the window's thread) and "process_cpu_download MS" (of
// the whole process), then with UPLOAD_DIR "upload SECONDS", "cpu_upload
// MS" and "process_cpu_upload MS", and "stall MS" for what followed the
// download.

#include "BenchDriver.h"
#include "BenchTiming.h"
#include "app/CommandDispatch.h"
#include "app/MainWindow.h"
#include "app/Platform.h"
#include "connection/ConnectionController.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/Drives.h"
#include "platform/Globals.h"
#include "platform/NetworkInfo.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
// The longest wait of a 10 ms timer beyond its period.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            worst = std::max(worst, msSince(since) - 10.0);
            since.restart();
        });
    }
    void start()
    {
        worst = 0;
        since.start();
        timer.start(10);
    }
    double stop()
    {
        timer.stop();
        return worst;
    }

private:
    QTimer timer;
    QElapsedTimer since;
    double worst = 0;
};

bool select(FileListView *pane, const QString &name)
{
    const int row = pane->model()->findText(name);
    if (row < 0)
        return false;
    pane->selectRow(row);
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    runOffscreenUnlessSet();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!hasArguments(args, 6,
                      "bench_gui_transfer HOST PORT REMOTE_DIR NAME LOCAL_DIR [UPLOAD_DIR]"))
        return 2;
    const QString name = args.at(4);
    const QString localDir = QDir(args.at(5)).absolutePath();

    QTemporaryDir scratch;
    ScriptedPrompts prompts;
    ScriptedShell shell;
    SettingsStore settings(scratch.filePath(QStringLiteral("korvu.ini")));
    FixedDrives drives({QStringLiteral("/"), localDir});
    FixedNetworkInfo networkInfo{NetworkDetails{}};
    Platform platform{prompts, shell, settings, drives, networkInfo, scratch.path()};
    Globals g;
    g.gHost = args.at(1);
    g.gPort = args.at(2).toInt();
    g.gUser = QStringLiteral("anonymous");
    g.gPassword = QStringLiteral("bench@korvu.example.org");
    g.gTimeout = 120;
    g.gDialogCancelled = false;
    MainWindow w(platform, g);
    w.show();

    w.connection().Connect();
    w.remotePane().ChangeRemoteDir(args.at(3));
    if (w.session().ConnectionState() != RemoteState::Connected ||
        !select(w.ui().lvwRemote, name)) {
        std::fprintf(stderr, "cannot reach %s/%s:\n%s\n", qPrintable(args.at(3)), qPrintable(name),
                     qPrintable(w.ui().txtLog->toPlainText()));
        return 1;
    }
    StallMeter stall;
    stall.start();
    QElapsedTimer clock;
    clock.start();
    double cpu = threadCpuMs();
    double processCpu = processCpuMs();
    w.dispatch().ButtonClick(QStringLiteral("下载"));
    std::printf("download %.3f\n", msSince(clock) / 1000.0);
    std::printf("cpu_download %.1f\n", threadCpuMs() - cpu);
    std::printf("process_cpu_download %.1f\n", processCpuMs() - processCpu);
    std::printf("stall_download %.1f\n", stall.stop());
    stall.start();

    if (args.size() > 6) {
        w.remotePane().ChangeRemoteDir(args.at(6));
        if (!select(w.ui().lvwLocal, name))
            return 1;
        clock.restart();
        cpu = threadCpuMs();
        processCpu = processCpuMs();
        w.dispatch().ButtonClick(QStringLiteral("上传"));
        std::printf("upload %.3f\n", msSince(clock) / 1000.0);
        std::printf("cpu_upload %.1f\n", threadCpuMs() - cpu);
        std::printf("process_cpu_upload %.1f\n", processCpuMs() - processCpu);
    }
    std::printf("stall %.1f\n", stall.stop());
    const QString failed = w.ui().lvwStatus->model()->rowCount() > 0
                               ? w.ui().lvwStatus->model()->row(0).text
                               : QStringLiteral("nothing");
    if (failed != QLatin1String("Download")) {
        std::fprintf(stderr, "the transfer ended as %s\n", qPrintable(failed));
        return 1;
    }
    return 0;
}
