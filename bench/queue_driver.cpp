// Runs items through the transfer queue as the window does, with the queue's
// view on screen, and measures the window thread's longest stall: a timer
// due every 10 ms notes how late it comes. The script bench/queue times it
// beside lftp and curl.
//
//   bench_queue HOST PORT USER PASSWORD LIMIT LOCAL_DIR ITEM...
//   ITEM: "d:/remote/folder" (copied whole) or "f:/remote/file"
//
// Prints "seconds S stall_ms M failed F".

#include "queue/QueueModel.h"
#include "queue/TransferQueue.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 8) {
        std::fprintf(stderr,
                     "usage: bench_queue HOST PORT USER PASSWORD LIMIT LOCAL_DIR ITEM...\n");
        return 2;
    }
    auto site = std::make_shared<QueueSite>();
    site->login = {args.at(1), args.at(3), args.at(4), QString(), args.at(2).toInt()};
    const QString local = args.at(6);
    QDir().mkpath(local);

    TransferQueue queue;
    queue.setLimit(args.at(5).toInt());
    QueueModel model(queue);
    QTreeView view;
    view.setModel(&model);
    view.resize(800, 300);
    view.show();

    int failed = 0;
    int left = int(args.size()) - 7;
    QObject::connect(&queue, &TransferQueue::itemFinished, &app,
                     [&](const QueueItem &, int error, const QString &description) {
                         if (error) {
                             ++failed;
                             std::fprintf(stderr, "%s\n", qPrintable(description));
                         }
                         if (--left == 0)
                             app.quit();
                     });
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 stall = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.elapsed();
        stall = std::max(stall, now - lastTick - 10);
        lastTick = now;
    });

    for (const QString &arg : args.mid(7)) {
        QueueItem item;
        item.folder = arg.startsWith(QLatin1String("d:"));
        item.remotePath = arg.mid(2);
        item.localPath = local + QLatin1Char('/') + item.remotePath.section(QLatin1Char('/'), -1);
        item.decided = true;
        item.site = site;
        queue.add(item);
    }
    clock.start();
    tick.start(10);
    app.exec();
    std::printf("seconds %.3f stall_ms %lld failed %d\n", clock.elapsed() / 1000.0, stall, failed);
    return failed ? 1 : 0;
}
