#include "transfer/ProgressDisplay.h"

#include "ftp/FtpSession.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "window/StatusIndicator.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

namespace {
bool isProgress(int code)
{
    return code == FtpEvent::DownloadFileProgress || code == FtpEvent::DownloadManyProgress ||
           code == FtpEvent::UploadManyProgress || code == FtpEvent::UploadFileProgress;
}
} // namespace

ProgressDisplay::ProgressDisplay(WindowContext &context, QObject *parent)
    : QObject(parent), ctx(context)
{
    connect(&ctx.ftp, &FtpSession::ActivityEvent, this, &ProgressDisplay::ActivityEvent);
}

void ProgressDisplay::ActivityEvent(int code, int category, const QString &text, qint64 count,
                                    const QVariant &)
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
            showProgress(code, count);
            break;
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

void ProgressDisplay::showProgress(int code, qint64 count)
{
    // Downloads and uploads of one file count from their restart offset.
    qint64 position = count;
    if (code == FtpEvent::DownloadFileProgress)
        position += ctx.globals.gXferLocalSize;
    else if (code == FtpEvent::UploadFileProgress)
        position += ctx.globals.gXferRemoteSize;
    StatusPanels &bar = *ctx.statusBar;
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
    bar.setPanelText(QStringLiteral("Rate"),
                     QStringLiteral("已完成:") + StatusPanels::FormatSize(bar.progressValue()));
}
