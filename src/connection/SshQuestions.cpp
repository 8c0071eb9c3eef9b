#include "connection/SshQuestions.h"

#include "connection/HostKeyDialog.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "window/HelpLauncher.h"

#include <QDir>

namespace {
const QString Title = QStringLiteral("Korvu");

RemoteAnswer answered(QStringList texts)
{
    RemoteAnswer answer;
    answer.texts = std::move(texts);
    answer.declined = false;
    return answer;
}
} // namespace

SshQuestions::SshQuestions(QWidget *window, Prompts &prompts, SessionLog &log,
                           const QString &storePath)
    : window(window), prompts(prompts), log(log), store(storePath)
{}

QStringList SshQuestions::trustedKeys(const QString &host, int port) const
{
    QString remembered;
    store.check(host, port, QString(), &remembered);
    return remembered.isEmpty() ? QStringList() : QStringList{remembered};
}

RemoteAnswer SshQuestions::hostKey(const RemoteHostKey &key)
{
    // Changed against known_hosts, or against the key the user kept here.
    QString known = key.state == RemoteHostKeyState::Changed ? key.knownFingerprint : QString();
    if (known.isEmpty())
        known = trustedKeys(key.host, key.port).value(0);
    RemoteAnswer answer;
    {
        HostKeyDialog dialog(key, known, window);
        HelpLauncher::setTopic(&dialog, QStringLiteral("connect.html"));
        dialog.exec();
        answer.trust = dialog.answer();
    }
    if (answer.trust == RemoteTrust::Always && !store.remember(key.host, key.port, key.fingerprint))
        log.append(QStringLiteral("无法保存信任的主机密钥（%1），下次连接时会再次询问\r\n")
                       .arg(QDir::toNativeSeparators(store.path())));
    return answer;
}

RemoteAnswer SshQuestions::secret(const RemoteSecretPrompt &prompt)
{
    const bool passphrase = prompt.secret == RemoteSecretPrompt::Secret::Passphrase;
    QString question = passphrase ? QStringLiteral("请输入私钥 %1 的密码短语:")
                                  : QStringLiteral("请输入 %1 的密码:");
    if (prompt.again)
        question.prepend(passphrase ? QStringLiteral("密码短语不对。")
                                    : QStringLiteral("密码不对。"));
    const std::optional<QString> typed =
        prompts.secretBox(question.arg(QDir::toNativeSeparators(prompt.subject)), Title);
    return typed ? answered({*typed}) : RemoteAnswer{};
}

RemoteAnswer SshQuestions::interactive(const RemoteInteractivePrompt &prompt)
{
    const QString title = prompt.name.isEmpty() ? Title : prompt.name;
    QStringList texts;
    for (qsizetype i = 0; i < prompt.prompts.size(); ++i) {
        const QString question =
            prompt.instruction.isEmpty()
                ? prompt.prompts.at(i)
                : prompt.instruction + QLatin1Char('\n') + prompt.prompts.at(i);
        const std::optional<QString> typed = prompt.echo.value(i, false)
                                                 ? prompts.inputBox(question, title, QString())
                                                 : prompts.secretBox(question, title);
        if (!typed)
            return RemoteAnswer{};
        texts << *typed;
    }
    return answered(texts);
}
