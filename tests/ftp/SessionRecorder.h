#pragma once

#include "ftp/FtpSession.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>
#include <optional>

// One ActivityEvent as a handler saw it.
struct RecordedEvent
{
    int code = 0;
    int category = 0;
    QString text;
    qint64 count = 0;
    QVariant extra;
    bool busy = false; // IsBusy() inside the handler
    bool onCallerThread = false;
};

// Records what a session reports, and can act from inside its handlers the
// way the user interface does (stop, drop, start another operation).
class SessionRecorder : public QObject
{
public:
    explicit SessionRecorder(FtpSession &session);

    QList<RecordedEvent> events;
    QList<int> states; // ConnectionState at each StateChangedEvent
    // Runs inside every ActivityEvent handler, after recording.
    std::function<void(const RecordedEvent &)> onEvent;

    QList<RecordedEvent> matching(int code, int category = -1) const;
    bool anyTextContains(const QString &needle) const;
    void clear();

private:
    FtpSession &m_session;
};

// The error an operation throws, or nothing when it succeeds.
template <typename Operation> std::optional<FtpError> failureOf(Operation &&operation)
{
    try {
        operation();
    } catch (const FtpError &error) {
        return error;
    }
    return std::nullopt;
}

// Fails the test with the error's number and text when `call` throws.
#define FTP_VERIFY(call)                                                                           \
    do {                                                                                           \
        try {                                                                                      \
            call;                                                                                  \
        } catch (const FtpError &ftpError) {                                                       \
            QFAIL(qPrintable(QStringLiteral("FtpError %1: %2")                                     \
                                 .arg(ftpError.number)                                             \
                                 .arg(ftpError.description)));                                     \
        }                                                                                          \
    } while (false)

// Checks that `call` throws FtpError `expected`.
#define FTP_EXPECT_ERROR(call, expected)                                                           \
    do {                                                                                           \
        const std::optional<FtpError> ftpFailure = failureOf([&] { call; });                       \
        QVERIFY2(ftpFailure.has_value(), "the call did not fail");                                 \
        QVERIFY2(ftpFailure->number == (expected), qPrintable(QStringLiteral("FtpError %1: %2")    \
                                                                  .arg(ftpFailure->number)         \
                                                                  .arg(ftpFailure->description))); \
    } while (false)
