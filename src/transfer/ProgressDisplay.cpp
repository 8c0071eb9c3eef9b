#include "transfer/ProgressDisplay.h"

#include "ftp/FtpSession.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
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

bool isFileProgress(int code)
{
    return code == FtpEvent::DownloadFileProgress || code == FtpEvent::UploadFileProgress;
}

QString clockText(qint64 seconds)
{
    const QString mmss = QStringLiteral("%1:%2")
                             .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QString::number(seconds / 3600) + QLatin1Char(':') + mmss : mmss;
}

bool isProgress(int code)
{
    return code == FtpEvent::DownloadFileProgress || code == FtpEvent::DownloadManyProgress ||
           code == FtpEvent::UploadManyProgress || code == FtpEvent::UploadFileProgress;
}
} // namespace

ProgressDisplay::ProgressDisplay(WindowContext &context, QObject *parent)
    : QObject(parent), ctx(context)
{
    clock.start();
    now = [this] { return clock.elapsed(); };
    connect(&ctx.ftp, &FtpSession::ActivityEvent, this, &ProgressDisplay::ActivityEvent);
    // Whoever ends a transfer (a batch, a remote view) puts the bar back to 0:
    // the title's percentage goes with it.
    connect(ctx.statusBar, &StatusPanels::progressCleared, this, [this] {
        QString title = ctx.window->windowTitle();
        if (title.contains(percentPrefix))
            ctx.window->setWindowTitle(title.remove(percentPrefix));
    });
}

void ProgressDisplay::ActivityEvent(int code, int category, const QString &text, qint64 count,
                                    const QVariant &extra)
{
    ctx.statusBar->PlaceProgress();
    switch (category) {
    case FtpCategory::ServerReply:
        if (code == FtpEvent::MakeDirectoryResult) {
            ctx.state.MakeDirSucceeded = true;
            ctx.state.MakeDirAnswered = true;
        }
        ctx.log.append(text);
        ctx.status.show(StatusIndicator::Closed);
        break;
    case FtpCategory::Information:
        if (isProgress(code)) {
            showProgress(code, count, extra.isValid() ? extra.toLongLong() : -1);
            break;
        }
        // A whole-folder copy moves on to its next file.
        if (code == FtpEvent::FileStarted) {
            treeDone += treeFile;
            treeFile = 0;
        }
        if (code == FtpEvent::Connecting)
            controlOpened = false;
        else if (code == FtpEvent::Connected)
            controlOpened = true;
        // A connection that never opened has nothing to close: the reason it
        // failed is the last word.
        if (code == FtpEvent::ConnectionClosed && !controlOpened)
            break;
        ctx.log.append(text);
        ctx.status.show(StatusIndicator::Connected);
        break;
    case FtpCategory::Failure:
        // A name that already exists is not an answer: the caller tries the next name.
        if (code == FtpEvent::MakeDirectoryResult &&
            !text.toUpper().contains(QLatin1String("EXISTS"))) {
            ctx.state.MakeDirAnswered = true;
            ctx.state.MakeDirSucceeded = false;
        }
        ctx.status.show(StatusIndicator::Stopped);
        ctx.log.append(text);
        break;
    default:
        break;
    }
}

void ProgressDisplay::showProgress(int code, qint64 count, qint64 expected)
{
    // Downloads and uploads of one file count from their restart offset.
    qint64 position = count;
    if (code == FtpEvent::DownloadFileProgress)
        position += ctx.globals.gXferLocalSize;
    else if (code == FtpEvent::UploadFileProgress)
        position += ctx.globals.gXferRemoteSize;
    moveBar(code, position, expected);

    StatusPanels &bar = *ctx.statusBar;
    qint64 done = bar.progressValue();
    qint64 left = -1;
    if (isFileProgress(code)) {
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

void ProgressDisplay::moveBar(int code, qint64 position, qint64 expected)
{
    StatusPanels &bar = *ctx.statusBar;
    // In a whole-folder copy the bar shows the file in hand when its size is
    // known.
    if (!isFileProgress(code) && expected > 0) {
        bar.setProgressMaximum(expected);
        bar.setProgressValue(qMin(position, expected));
        return;
    }
    const qint64 maximum = bar.progressMaximum();
    // The bar never overflows: past its end the scale grows to 110 % of the
    // position, and the bar shows the old end until the next report.
    const bool fits =
        code == FtpEvent::UploadFileProgress ? maximum >= position : maximum > position;
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
