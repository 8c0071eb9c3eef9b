#pragma once

#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"

#include <QList>
#include <QObject>
#include <functional>
#include <optional>

// One ActivityEvent as a handler saw it, with its number, category and log
// line as the session log gets them.
struct RecordedEvent
{
    RemoteActivity activity;
    RemoteActivityKind code = RemoteActivityKind::ServerReply;
    int category = 0;
    QString text;
    qint64 count = 0;
    bool busy = false; // IsBusy() inside the handler
    bool onCallerThread = false;
};

// Records what a session reports, and can act from inside its handlers the
// way the user interface does (stop, drop, start another operation).
class SessionRecorder : public QObject
{
public:
    explicit SessionRecorder(RemoteSession &session);

    QList<RecordedEvent> events;
    QList<int> states; // ConnectionState at each StateChangedEvent
    // Runs inside every ActivityEvent handler, after recording.
    std::function<void(const RecordedEvent &)> onEvent;

    QList<RecordedEvent> matching(RemoteActivityKind code, int category = -1) const;
    bool anyTextContains(const QString &needle) const;
    void clear();

private:
    RemoteSession &m_session;
};

// Answers certificate questions with `judge` (RemoteTrust).
RemoteSession::Question certificateQuestion(std::function<int(const RemoteCertificate &)> judge);

// The error an operation throws, or nothing when it succeeds.
template <typename Operation> std::optional<RemoteError> failureOf(Operation &&operation)
{
    try {
        operation();
    } catch (const RemoteError &error) {
        return error;
    }
    return std::nullopt;
}

// Fails the test with the error's number and text when `call` throws.
#define FTP_VERIFY(call)                                                                           \
    do {                                                                                           \
        try {                                                                                      \
            call;                                                                                  \
        } catch (const RemoteError &ftpError) {                                                    \
            QFAIL(qPrintable(QStringLiteral("RemoteError %1: %2")                                  \
                                 .arg(ftpError.number)                                             \
                                 .arg(RemoteTexts::description(ftpError))));                       \
        }                                                                                          \
    } while (false)

// Checks that `call` throws RemoteError `expected`.
#define FTP_EXPECT_ERROR(call, expected)                                                           \
    do {                                                                                           \
        const std::optional<RemoteError> ftpFailure = failureOf([&] { call; });                    \
        QVERIFY2(ftpFailure.has_value(), "the call did not fail");                                 \
        QVERIFY2(ftpFailure->number == (expected),                                                 \
                 qPrintable(QStringLiteral("RemoteError %1: %2")                                   \
                                .arg(ftpFailure->number)                                           \
                                .arg(RemoteTexts::description(*ftpFailure))));                     \
    } while (false)
