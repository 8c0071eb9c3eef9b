#include "connection/ActivityDisplay.h"

#include "ftp/FtpSession.h"
#include "panes/WindowState.h"
#include "platform/SessionLog.h"

namespace {
constexpr int pictureStopped = 1;
constexpr int pictureClosed = 2;
constexpr int pictureConnected = 3;

bool isProgress(int code)
{
    return code == FtpEvent::DownloadFileProgress || code == FtpEvent::DownloadManyProgress ||
           code == FtpEvent::UploadManyProgress || code == FtpEvent::UploadFileProgress;
}
} // namespace

ActivityDisplay::ActivityDisplay(FtpSession &ftp, SessionLog &log, WindowState &state,
                                 std::function<void(int)> setStatusPicture, QObject *parent)
    : QObject(parent), log(log), state(state), setStatusPicture(std::move(setStatusPicture))
{
    connect(&ftp, &FtpSession::ActivityEvent, this, &ActivityDisplay::ActivityEvent);
}

void ActivityDisplay::ActivityEvent(int code, int category, const QString &text, qint64,
                                    const QVariant &)
{
    switch (category) {
    case FtpCategory::ServerReply:
        if (code == FtpEvent::MakeDirectoryResult) {
            state.MakeDirSucceeded = true;
            state.MakeDirAnswered = true;
        }
        log.append(text);
        setStatusPicture(pictureClosed);
        break;
    case FtpCategory::Information:
        // Progress belongs to the transfer display, not to the log.
        if (isProgress(code))
            break;
        log.append(text);
        setStatusPicture(pictureConnected);
        break;
    case FtpCategory::Failure:
        // A name that already exists is not an answer: the caller tries the next name.
        if (code == FtpEvent::MakeDirectoryResult &&
            !text.toUpper().contains(QLatin1String("EXISTS"))) {
            state.MakeDirAnswered = true;
            state.MakeDirSucceeded = false;
        }
        setStatusPicture(pictureStopped);
        log.append(text);
        break;
    default:
        break;
    }
}
