#include "sftp/SftpAuthenticator.h"

#include "sftp/SftpError.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpSettings.h"
#include "sftp/SftpTransport.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

namespace {

const QString PublicKey = QStringLiteral("publickey");
const QString Agent = QStringLiteral("publickey (agent)");
const QString Password = QStringLiteral("password");
const QString Interactive = QStringLiteral("keyboard-interactive");

// A server that keeps asking is refused after this many rounds.
constexpr int MaxInteractiveRounds = 16;
constexpr int PassphraseAttempts = 3;

// Called by libssh only for a key that has a passphrase; declining makes
// the import fail, and the caller then knows to ask.
int notePassphraseWanted(const char *, char *, size_t, int, int, void *wanted)
{
    *static_cast<bool *>(wanted) = true;
    return -1;
}

} // namespace

SftpAuthenticator::SftpAuthenticator(SftpTransport &transport, SftpEventSink &sink,
                                     const SftpLogin &login)
    : m_transport(transport), m_sink(sink), m_login(login)
{}

int SftpAuthenticator::allowedMethods()
{
    return ssh_userauth_list(m_transport.session(), nullptr);
}

SftpAuthenticator::Outcome SftpAuthenticator::judge(int result, const QString &method,
                                                    const QString &subject)
{
    switch (result) {
    case SSH_AUTH_SUCCESS:
        return Outcome::Success;
    case SSH_AUTH_PARTIAL:
        return Outcome::Partial;
    default:
        if (!ssh_is_connected(m_transport.session())) {
            const QString why = m_transport.lastError();
            m_transport.drop();
            throw SftpError{SftpErrorKind::ConnectionLost, -1, {}, {}, why};
        }
        m_sink.activity({SftpActivity::AuthenticationRefused, subject, method, 0, -1});
        return Outcome::Denied;
    }
}

QString SftpAuthenticator::logIn()
{
    ssh_session session = m_transport.session();
    const QByteArray user = m_login.user.toUtf8();
    // "none" asks the server which methods it takes (and lets in a server
    // that wants none).
    const int none =
        m_transport.retry([&] { return ssh_userauth_none(session, user.constData()); }, true);
    if (none == SSH_AUTH_SUCCESS)
        return QStringLiteral("none");
    if (none == SSH_AUTH_ERROR && !ssh_is_connected(session))
        judge(none, {});
    const std::function<Outcome()> steps[] = {
        [this] { return tryKeyFile(); },       [this] { return tryAgent(); },
        [this] { return tryPassword(false); }, [this] { return tryInteractive(); },
        [this] { return tryPassword(true); },
    };
    for (const auto &step : steps) {
        if (step() == Outcome::Success)
            return m_tried.last();
    }
    throw SftpError{SftpErrorKind::AuthenticationFailed,
                    -1,
                    {},
                    m_tried.join(QStringLiteral(", ")),
                    m_transport.lastError()};
}

void SftpAuthenticator::announce(const QString &method, const QString &subject)
{
    m_tried.append(method);
    m_sink.activity({SftpActivity::AuthenticationTry, subject, method, 0, -1});
}

ssh_key SftpAuthenticator::importKey()
{
    const QString path = m_login.keyFile;
    const QByteArray file = QFile::encodeName(path);
    ssh_key key = nullptr;
    bool wanted = false;
    if (ssh_pki_import_privkey_file(file.constData(), nullptr, &notePassphraseWanted, &wanted,
                                    &key) == SSH_OK)
        return key;
    if (!wanted) {
        const QFileInfo info(path);
        throw SftpError{SftpErrorKind::LocalFileError,
                        -1,
                        {},
                        path,
                        !info.isFile()       ? QStringLiteral("no such file")
                        : !info.isReadable() ? QStringLiteral("not readable")
                                             : QStringLiteral("not a private key")};
    }
    for (int attempt = 0; attempt < PassphraseAttempts; ++attempt) {
        const std::optional<QString> passphrase =
            m_sink.secretQuestion(SftpSecret::Passphrase, path, attempt > 0);
        if (!passphrase)
            return nullptr;
        const QByteArray secret = passphrase->toUtf8();
        if (ssh_pki_import_privkey_file(file.constData(), secret.constData(), nullptr, nullptr,
                                        &key) == SSH_OK)
            return key;
    }
    return nullptr;
}

SftpAuthenticator::Outcome SftpAuthenticator::tryKeyFile()
{
    if (m_login.keyFile.isEmpty() || !(allowedMethods() & SSH_AUTH_METHOD_PUBLICKEY))
        return Outcome::Skipped;
    ssh_key key = importKey();
    announce(PublicKey, m_login.keyFile);
    if (!key)
        return judge(SSH_AUTH_DENIED, PublicKey, m_login.keyFile);
    ssh_session session = m_transport.session();
    int result;
    try {
        result =
            m_transport.retry([&] { return ssh_userauth_publickey(session, nullptr, key); }, true);
    } catch (...) {
        ssh_key_free(key);
        throw;
    }
    ssh_key_free(key);
    return judge(result, PublicKey, m_login.keyFile);
}

SftpAuthenticator::Outcome SftpAuthenticator::tryAgent()
{
    if (!m_login.useAgent || qEnvironmentVariableIsEmpty("SSH_AUTH_SOCK") ||
        !(allowedMethods() & SSH_AUTH_METHOD_PUBLICKEY))
        return Outcome::Skipped;
    announce(Agent);
    ssh_session session = m_transport.session();
    return judge(m_transport.retry([&] { return ssh_userauth_agent(session, nullptr); }, true),
                 Agent);
}

SftpAuthenticator::Outcome SftpAuthenticator::tryPassword(bool ask)
{
    if (m_passwordUsed || !(allowedMethods() & SSH_AUTH_METHOD_PASSWORD))
        return Outcome::Skipped;
    QString password = m_login.password;
    if (ask != password.isEmpty())
        return Outcome::Skipped;
    if (ask) {
        const std::optional<QString> answer =
            m_sink.secretQuestion(SftpSecret::Password, account(), false);
        if (!answer)
            return Outcome::Skipped;
        password = *answer;
    }
    m_passwordUsed = true;
    announce(Password);
    ssh_session session = m_transport.session();
    const QByteArray secret = password.toUtf8();
    return judge(
        m_transport.retry(
            [&] { return ssh_userauth_password(session, nullptr, secret.constData()); }, true),
        Password);
}

QString SftpAuthenticator::account() const
{
    return m_login.user + QLatin1Char('@') + m_login.host;
}

SftpInteractivePrompt SftpAuthenticator::interactivePrompt() const
{
    ssh_session session = m_transport.session();
    SftpInteractivePrompt prompt;
    prompt.name = QString::fromUtf8(ssh_userauth_kbdint_getname(session));
    prompt.instruction = QString::fromUtf8(ssh_userauth_kbdint_getinstruction(session));
    const int count = ssh_userauth_kbdint_getnprompts(session);
    for (int i = 0; i < count; ++i) {
        char echo = 0;
        prompt.prompts.append(QString::fromUtf8(ssh_userauth_kbdint_getprompt(session, i, &echo)));
        prompt.echo.append(echo != 0);
    }
    return prompt;
}

SftpAuthenticator::Outcome SftpAuthenticator::tryInteractive()
{
    if (!(allowedMethods() & SSH_AUTH_METHOD_INTERACTIVE))
        return Outcome::Skipped;
    announce(Interactive);
    ssh_session session = m_transport.session();
    const auto step = [&] {
        return m_transport.retry([&] { return ssh_userauth_kbdint(session, nullptr, nullptr); },
                                 true);
    };
    int result = step();
    for (int round = 0; result == SSH_AUTH_INFO; ++round) {
        if (round == MaxInteractiveRounds)
            return judge(SSH_AUTH_DENIED, Interactive);
        const SftpInteractivePrompt prompt = interactivePrompt();
        QStringList answers;
        // One hidden question is the password question PAM asks: the
        // site's password answers it, once.
        if (prompt.prompts.size() == 1 && !prompt.echo.first() && !m_login.password.isEmpty() &&
            !m_passwordUsed) {
            m_passwordUsed = true;
            answers = {m_login.password};
        } else if (!prompt.prompts.isEmpty()) {
            const std::optional<QStringList> given = m_sink.interactiveQuestion(prompt);
            if (!given || given->size() != prompt.prompts.size())
                return judge(SSH_AUTH_DENIED, Interactive);
            answers = *given;
        }
        for (int i = 0; i < answers.size(); ++i)
            ssh_userauth_kbdint_setanswer(session, unsigned(i), answers.at(i).toUtf8().constData());
        result = step();
    }
    return judge(result, Interactive);
}
