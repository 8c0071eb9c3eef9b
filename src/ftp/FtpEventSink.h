#pragma once

#include <QString>
#include <QVariant>

// Where the worker side of the session sends what the caller should hear:
// FtpSession forwards both to its caller's thread as ActivityEvent and
// StateChangedEvent. Texts reach the sink already ending in "\r\n" and with
// the password masked.
class FtpEventSink
{
public:
    virtual ~FtpEventSink() = default;
    virtual void activity(int code, int category, const QString &text, qint64 count,
                          const QVariant &extra) = 0;
    virtual void stateChanged(int state) = 0;
};
