#include "connection/ActivityDisplay.h"

#include "ftp/FtpSession.h"
#include "platform/SessionLog.h"
#include "window/StatusIndicator.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

namespace {
bool isProgress(int code)
{
    return code == FtpEvent::DownloadFileProgress || code == FtpEvent::DownloadManyProgress ||
           code == FtpEvent::UploadManyProgress || code == FtpEvent::UploadFileProgress;
}
} // namespace

ActivityDisplay::ActivityDisplay(WindowContext &context, QObject *parent)
    : QObject(parent), ctx(context)
{
    connect(&ctx.ftp, &FtpSession::ActivityEvent, this, &ActivityDisplay::ActivityEvent);
}

void ActivityDisplay::ActivityEvent(int code, int category, const QString &text, qint64,
                                    const QVariant &)
{
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
        // Progress belongs to the transfer display, not to the log.
        if (isProgress(code))
            break;
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
