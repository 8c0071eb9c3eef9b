#include "Answers.h"

#include "Console.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"

namespace {

// A certificate the system could not verify: taken when --insecure says so
// or --trust names it; otherwise refused, with what the user needs to judge
// it and to name it next time.
int judgeCertificate(const Invocation &invocation, const RemoteCertificate &certificate)
{
    if (invocation.insecure || (!invocation.trust.isEmpty() &&
                                fingerprintDigits(certificate.fingerprint) == invocation.trust))
        return RemoteTrust::Once;
    const auto date = [](const QDateTime &when) {
        return when.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
    };
    Console::printMessage(QStringLiteral("the certificate of %1 port %2 cannot be verified: %3")
                              .arg(certificate.host)
                              .arg(certificate.port)
                              .arg(RemoteTexts::problem(certificate)));
    Console::printMessage(QStringLiteral("  subject %1").arg(certificate.subject));
    Console::printMessage(QStringLiteral("  issuer  %1").arg(certificate.issuer));
    Console::printMessage(QStringLiteral("  valid   %1 to %2")
                              .arg(date(certificate.validFrom), date(certificate.validUntil)));
    Console::printMessage(QStringLiteral("  SHA-256 %1").arg(certificate.fingerprint));
    Console::printMessage(
        QStringLiteral("if that is your server's certificate, run again with --trust %1")
            .arg(certificate.fingerprint));
    return RemoteTrust::Refuse;
}

// A host key not in known_hosts is taken once when --trust names it. A
// changed one never is: that is what an attacker in the middle looks like,
// and the user who knows better removes the old key as for ssh itself.
int judgeHostKey(const Invocation &invocation, const RemoteHostKey &key)
{
    const QString where = QStringLiteral("%1 port %2").arg(key.host).arg(key.port);
    if (key.state == RemoteHostKeyState::Changed) {
        Console::printMessage(
            QStringLiteral("WARNING: THE HOST KEY OF %1 HAS CHANGED! Someone could be "
                           "eavesdropping on you right now (a man-in-the-middle attack), or the "
                           "server's key was replaced.")
                .arg(where));
        Console::printMessage(QStringLiteral("  known_hosts holds %1").arg(key.knownFingerprint));
        Console::printMessage(
            QStringLiteral("  the server shows %1 key %2").arg(key.type, key.fingerprint));
        Console::printMessage(QStringLiteral(
            "if the change is expected, remove the old key (ssh-keygen -R) and run again"));
        return RemoteTrust::Refuse;
    }
    if (!invocation.trust.isEmpty() && key.fingerprint == invocation.trust)
        return RemoteTrust::Once;
    Console::printMessage(
        QStringLiteral("the authenticity of host %1 can't be established").arg(where));
    Console::printMessage(
        QStringLiteral("  %1 key fingerprint is %2").arg(key.type, key.fingerprint));
    Console::printMessage(QStringLiteral("if that is your server's key, run again with --trust %1")
                              .arg(key.fingerprint));
    return RemoteTrust::Refuse;
}

RemoteAnswer secret(const RemoteSecretPrompt &prompt)
{
    RemoteAnswer answer;
    if (prompt.again)
        Console::printMessage(QStringLiteral("that was not right"));
    const QString question = prompt.secret == RemoteSecretPrompt::Secret::Passphrase
                                 ? QStringLiteral("passphrase for key %1: ")
                                 : QStringLiteral("password for %1: ");
    const std::optional<QString> typed =
        Console::askTerminal(question.arg(prompt.subject), /*echo=*/false);
    if (typed) {
        answer.texts = {*typed};
        answer.declined = false;
    }
    return answer;
}

RemoteAnswer interactive(const RemoteInteractivePrompt &prompt)
{
    RemoteAnswer answer;
    if (!Console::inputIsTerminal())
        return answer;
    for (const QString &line : {prompt.name, prompt.instruction})
        if (!line.isEmpty())
            Console::printMessage(line);
    for (qsizetype i = 0; i < prompt.prompts.size(); ++i) {
        const std::optional<QString> typed =
            Console::askTerminal(prompt.prompts.at(i), prompt.echo.value(i, false));
        if (!typed)
            return RemoteAnswer{};
        answer.texts << *typed;
    }
    answer.declined = false;
    return answer;
}

} // namespace

namespace Answers {

RemoteAnswer answer(const Invocation &invocation, const RemoteQuestion &question)
{
    if (const auto *certificate = std::get_if<RemoteCertificate>(&question)) {
        RemoteAnswer answer;
        answer.trust = judgeCertificate(invocation, *certificate);
        return answer;
    }
    if (const auto *key = std::get_if<RemoteHostKey>(&question)) {
        RemoteAnswer answer;
        answer.trust = judgeHostKey(invocation, *key);
        return answer;
    }
    if (const auto *prompt = std::get_if<RemoteSecretPrompt>(&question))
        return secret(*prompt);
    return interactive(std::get<RemoteInteractivePrompt>(question));
}

} // namespace Answers
