#include "transfer/ProgressDisplay.h"

#include "platform/SessionLog.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "window/StatusIndicator.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QRegularExpression>
#include <QWidget>
#include <cmath>

namespace {
// Speed is measured over this much of the recent past.
constexpr qint64 speedWindowMs = 3000;
// A pause longer than this starts a new measurement.
constexpr qint64 newTransferGapMs = 2000;
const QRegularExpression percentPrefix(QStringLiteral("^\\[\\d+%\\] "));

bool isFileProgress(RemoteActivityKind kind)
{
    return kind == RemoteActivityKind::DownloadFileProgress ||
           kind == RemoteActivityKind::UploadFileProgress;
}

QString clockText(qint64 seconds)
{
    const QString mmss = QStringLiteral("%1:%2")
                             .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QString::number(seconds / 3600) + QLatin1Char(':') + mmss : mmss;
}
} // namespace

ProgressDisplay::ProgressDisplay(WindowContext &context, QObject *parent)
    : QObject(parent), ctx(context)
{
    clock.start();
    now = [this] { return clock.elapsed(); };
    connect(&ctx.session, &RemoteSession::ActivityEvent, this, &ProgressDisplay::ActivityEvent);
    // Whoever ends a transfer (a batch, a remote view) puts the bar back to 0:
    // the title's percentage goes with it.
    connect(ctx.statusBar, &StatusPanels::progressCleared, this, [this] {
        QString title = ctx.window->windowTitle();
        if (title.contains(percentPrefix))
            ctx.window->setWindowTitle(title.remove(percentPrefix));
    });
}

void ProgressDisplay::ActivityEvent(const RemoteActivity &activity)
{
    ctx.statusBar->PlaceProgress();
    const RemoteActivityKind kind = activity.kind;
    switch (activity.category()) {
    case RemoteCategory::ServerReply:
        if (kind == RemoteActivityKind::MakeDirectoryResult) {
            ctx.state.MakeDirSucceeded = true;
            ctx.state.MakeDirAnswered = true;
        }
        ctx.log.append(RemoteTexts::logLine(activity));
        ctx.status.show(StatusIndicator::Closed);
        break;
    case RemoteCategory::Information:
        if (activity.isProgress()) {
            showProgress(kind, activity.count, activity.total);
            break;
        }
        // The server's reply to the delete is in the log already.
        if (kind == RemoteActivityKind::EntryRemoved)
            break;
        // A whole-folder copy moves on to its next file.
        if (kind == RemoteActivityKind::FileStarted) {
            treeDone += treeFile;
            treeFile = 0;
        }
        if (kind == RemoteActivityKind::Connecting)
            controlOpened = false;
        else if (kind == RemoteActivityKind::Connected)
            controlOpened = true;
        // A connection that never opened has nothing to close: the reason it
        // failed is the last word.
        if (kind == RemoteActivityKind::ConnectionClosed && !controlOpened)
            break;
        ctx.log.append(RemoteTexts::logLine(activity));
        ctx.status.show(StatusIndicator::Connected);
        break;
    case RemoteCategory::Failure:
        // A name that already exists is not an answer: the caller tries the next name.
        if (kind == RemoteActivityKind::MakeDirectoryResult &&
            activity.folder != RemoteFolderOutcome::AlreadyThere) {
            ctx.state.MakeDirAnswered = true;
            ctx.state.MakeDirSucceeded = false;
        }
        ctx.status.show(StatusIndicator::Stopped);
        ctx.log.append(RemoteTexts::logLine(activity));
        break;
    default:
        break;
    }
}

void ProgressDisplay::showProgress(RemoteActivityKind kind, qint64 count, qint64 expected)
{
    // Downloads and uploads of one file count from their restart offset.
    const qint64 position = isFileProgress(kind) ? count + restartOffset : count;
    moveBar(kind, position, expected);

    StatusPanels &bar = *ctx.statusBar;
    qint64 done = bar.progressValue();
    qint64 left = -1;
    if (isFileProgress(kind)) {
        left = bar.progressMaximum() - done;
        if (bar.progressMaximum() > 0)
            showPercentInTitle(int(100 * double(done) / double(bar.progressMaximum())));
    } else {
        treeFile = count;
        done = treeDone + treeFile;
    }
    bar.setPanelText(QStringLiteral("Rate"), QStringLiteral("已完成:") +
                                                 StatusPanels::FormatSize(done) +
                                                 speedAndTimeLeft(done, left));
}

void ProgressDisplay::moveBar(RemoteActivityKind kind, qint64 position, qint64 expected)
{
    StatusPanels &bar = *ctx.statusBar;
    // In a whole-folder copy the bar shows the file in hand when its size is
    // known.
    if (!isFileProgress(kind) && expected > 0) {
        bar.setProgressMaximum(expected);
        bar.setProgressValue(qMin(position, expected));
        return;
    }
    const qint64 maximum = bar.progressMaximum();
    // The bar never overflows: past its end the scale grows to 110 % of the
    // position, and the bar shows the old end until the next report.
    const bool fits =
        kind == RemoteActivityKind::UploadFileProgress ? maximum >= position : maximum > position;
    if (fits) {
        bar.setProgressValue(position);
    } else {
        bar.setProgressValue(maximum);
        bar.setProgressMaximum(position + position / 10);
    }
}

QString ProgressDisplay::speedAndTimeLeft(qint64 done, qint64 left)
{
    const qint64 msecs = now();
    if (!samples.empty() &&
        (msecs - samples.back().msecs > newTransferGapMs || done < samples.back().bytes))
        samples.clear();
    samples.push_back({msecs, done});
    while (samples.size() > 2 && msecs - samples[1].msecs >= speedWindowMs)
        samples.pop_front();
    const qint64 span = msecs - samples.front().msecs;
    if (span < 500)
        return QString();
    const double perSecond = double(done - samples.front().bytes) * 1000.0 / double(span);
    if (perSecond < 1)
        return QString();
    QString text =
        QStringLiteral("  ") + StatusPanels::FormatSize(qint64(perSecond)) + QStringLiteral("/s");
    if (left >= 0)
        text += QStringLiteral("  剩余 ") + clockText(qint64(std::ceil(left / perSecond)));
    return text;
}

void ProgressDisplay::showPercentInTitle(int percent)
{
    QString title = ctx.window->windowTitle();
    title.remove(percentPrefix);
    ctx.window->setWindowTitle(QStringLiteral("[%1%] ").arg(qBound(0, percent, 100)) + title);
}

void ProgressDisplay::finishTransfer()
{
    StatusPanels &bar = *ctx.statusBar;
    bar.setProgressValue(0);
    bar.PlaceProgress();
    bar.setPanelText(QStringLiteral("Rate"), QString());
    samples.clear();
    treeDone = 0;
    treeFile = 0;
}
