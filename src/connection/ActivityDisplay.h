#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class FtpSession;
class SessionLog;
struct WindowState;

// Shows what the FTP component reports while it works: server replies,
// commands and failures go to the session log, the status picture follows
// the kind of the last report, and the outcome of a make-directory request
// is kept for the new-folder command.
class ActivityDisplay : public QObject
{
    Q_OBJECT
public:
    ActivityDisplay(FtpSession &ftp, SessionLog &log, WindowState &state,
                    std::function<void(int picture)> setStatusPicture, QObject *parent = nullptr);

    void ActivityEvent(int code, int category, const QString &text, qint64 count,
                       const QVariant &extra);

private:
    SessionLog &log;
    WindowState &state;
    std::function<void(int)> setStatusPicture;
};
