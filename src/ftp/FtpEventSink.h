#pragma once

#include <QString>
#include <QVariant>

struct FtpCertificate;

// Where the worker side of the session sends what the caller should hear:
// FtpSession forwards it to its caller's thread as ActivityEvent,
// StateChangedEvent and the certificate question. Texts reach the sink
// already ending in "\r\n"; PASS and ACCT are shown without their argument.
class FtpEventSink
{
public:
    virtual ~FtpEventSink() = default;
    virtual void activity(int code, int category, const QString &text, qint64 count,
                          const QVariant &extra) = 0;
    // `encrypted`: the connection is encrypted, data connections included.
    virtual void stateChanged(int state, bool encrypted) = 0;
    // Waits for the caller's answer (FtpTrust). Throws FtpError 11116 when
    // the connection is dropped meanwhile, FtpStopRequest on a stop.
    virtual int certificateQuestion(const FtpCertificate &certificate) = 0;
};
