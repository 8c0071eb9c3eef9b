#pragma once

#include "remote/RemoteActivity.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class WindowContext;

// Shows what the remote session reports while it works: server replies,
// commands and failures go to the session log, the status picture follows
// the kind of the last report, and the outcome of a make-directory request is
// kept for the new-folder command.
//
// Progress moves Progress1 and the panel "Rate": the amount done, the speed
// over the last seconds and, for a single file, the time left
// ("已完成:1.2 MB  3.4 MB/s  剩余 00:12"); the window title shows the
// percentage of a file transfer ("[42%] Korvu (连接到: host)"). In a
// whole-folder copy the bar follows the file in hand and the amount counts
// the whole copy.
class ProgressDisplay : public QObject
{
    Q_OBJECT
public:
    explicit ProgressDisplay(WindowContext &context, QObject *parent = nullptr);

    void ActivityEvent(const RemoteActivity &activity);
    // A transfer call (or a batch) ended: the bar, "Rate" and the title rest.
    void finishTransfer();
    // Where the file transfer under way starts: its reports count from there.
    // Back to 0 when the transfer is over.
    void setRestartOffset(qint64 bytes) { restartOffset = bytes; }
    // Where the speed's milliseconds come from (a steady clock by default).
    void setClock(std::function<qint64()> milliseconds) { now = std::move(milliseconds); }

private:
    struct Sample
    {
        qint64 msecs;
        qint64 bytes;
    };

    void showProgress(RemoteActivityKind kind, qint64 count, qint64 expected);
    void moveBar(RemoteActivityKind kind, qint64 position, qint64 expected);
    QString speedAndTimeLeft(qint64 done, qint64 left);
    void showPercentInTitle(int percent);

    WindowContext &ctx;
    qint64 restartOffset = 0;
    // What a whole-folder copy finished before the file in hand.
    qint64 treeDone = 0;
    qint64 treeFile = 0;
    QElapsedTimer clock;
    std::function<qint64()> now;
    std::deque<Sample> samples;
    // The control connection of the attempt under way was opened: only then
    // is its closing news.
    bool controlOpened = false;
};
