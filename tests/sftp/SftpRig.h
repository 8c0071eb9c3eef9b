#pragma once

#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTexts.h"
#include "sftp/SftpEngine.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpToRemote.h"

#include <QList>
#include <QTest>
#include <functional>

// An engine with a sink that records what it hears and answers its
// questions from a script; the tests run the engine on their own thread.
class SftpRig : public SftpEventSink
{
public:
    SftpRig() : engine(interrupt, *this) {}

    void activity(const SftpEvent &event) override
    {
        events.append(event);
        if (onActivity)
            onActivity(event);
    }
    void stateChanged(int state) override { states.append(state); }
    SftpTrust hostKeyQuestion(const SftpHostKey &key) override
    {
        keysAsked.append(key);
        return trust;
    }
    std::optional<QString> secretQuestion(SftpSecret secret, const QString &, bool) override
    {
        secretsAsked.append(secret);
        if (secrets.isEmpty())
            return std::nullopt;
        return secrets.takeFirst();
    }
    std::optional<QStringList> interactiveQuestion(const SftpInteractivePrompt &prompt) override
    {
        prompts.append(prompt);
        return interactiveAnswers;
    }

    QList<SftpEvent> matching(SftpActivity kind) const
    {
        QList<SftpEvent> result;
        for (const SftpEvent &event : events)
            if (event.kind == kind)
                result.append(event);
        return result;
    }

    RemoteInterrupt interrupt;
    SftpEngine engine;
    QList<SftpEvent> events;
    QList<int> states;
    QList<SftpHostKey> keysAsked;
    SftpTrust trust = SftpTrust::Once;
    QStringList secrets;
    QList<SftpSecret> secretsAsked;
    QList<SftpInteractivePrompt> prompts;
    std::optional<QStringList> interactiveAnswers;
    std::function<void(const SftpEvent &)> onActivity;
};

// Runs `call`, which must throw SftpError; returns its kind. Fails the test
// (QVERIFY) when it does not throw.
template <typename Call> std::optional<SftpErrorKind> failureOf(Call &&call)
{
    try {
        call();
    } catch (const SftpError &error) {
        return error.kind;
    }
    return std::nullopt;
}

#define SFTP_VERIFY(call)                                                                          \
    do {                                                                                           \
        try {                                                                                      \
            call;                                                                                  \
        } catch (const SftpError &error) {                                                         \
            QFAIL(qPrintable(QStringLiteral("%1: %2").arg(                                         \
                QLatin1String(#call), RemoteTexts::description(SftpToRemote::error(error, 0)))));  \
        }                                                                                          \
    } while (false)
