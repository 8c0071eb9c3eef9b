#include "sftp/SftpRemoteEngine.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteNameRules.h"
#include "sftp/SftpPaths.h"

#include <QDir>
#include <QScopeGuard>
#include <algorithm>

namespace {

using M = RemoteMessage;

constexpr int DefaultTimeoutMs = 30000;

RemoteError invalid(int number, RemoteText text)
{
    return RemoteError::own(RemoteErrorKind::InvalidArgument, number, std::move(text));
}

// A server reads paths as C strings: a NUL would cut a path short and
// address another file. CR and LF are plain bytes to SFTP.
void checkPath(const QString &path, RemoteMessage what)
{
    if (path.contains(QChar(0)))
        throw invalid(RemoteErrorCode::InvalidName, M::NameHoldsLineBreak);
    if (path.isEmpty())
        throw invalid(RemoteErrorCode::InvalidArgument, RemoteText(M::EmptyArgument, {what}));
}

// "." and ".." name no entry of their own: renaming or deleting them would
// act on the folder or its parent.
void refuseDotOperand(const QString &path)
{
    if (RemoteNameRules::isDotOperand(path))
        throw invalid(RemoteErrorCode::InvalidArgument, RemoteText(M::DotOperand, {path}));
}

SftpNameEncoding encodingOf(int nameEncoding)
{
    switch (nameEncoding) {
    case RemoteNameEncoding::Utf8:
        return SftpNameEncoding::Utf8;
    case RemoteNameEncoding::Gbk:
        return SftpNameEncoding::Gbk;
    default:
        return SftpNameEncoding::Auto;
    }
}

SftpTrust trustOf(int answer)
{
    switch (answer) {
    case RemoteTrust::Once:
        return SftpTrust::Once;
    case RemoteTrust::Always:
        return SftpTrust::Always;
    default:
        return SftpTrust::Refuse;
    }
}

} // namespace

SftpRemoteEngine::SftpRemoteEngine(RemoteInterrupt &interrupt, RemoteEventSink &sink)
    : m_sink(sink), m_engine(interrupt, *this)
{}

void SftpRemoteEngine::setSettings(const RemoteSettings &settings)
{
    m_settings = settings;
    if (m_settings.timeoutMs <= 0)
        m_settings.timeoutMs = DefaultTimeoutMs;
    SftpSettings sftp = m_engine.settings();
    sftp.timeoutMs = m_settings.timeoutMs;
    sftp.nameEncoding = encodingOf(settings.nameEncoding);
    sftp.trustedHostKeys = settings.trustedHostKeys;
    sftp.downloadLimit = settings.rateLimits.download;
    sftp.uploadLimit = settings.rateLimits.upload;
    // The home Korvu keeps its own files in (HOME), where libssh would look
    // in the password database's: one user, one ~/.ssh.
    sftp.knownHostsFile = QDir::home().filePath(QStringLiteral(".ssh/known_hosts"));
    m_engine.setSettings(sftp);
}

// Runs an engine call; its failure leaves as the interface's error.
template <typename Call> void SftpRemoteEngine::translated(Call &&call)
{
    try {
        call();
    } catch (const SftpError &error) {
        throw SftpToRemote::error(error, m_settings.timeoutMs);
    }
}

// Runs an engine call whose refusal by the server is an answer, not a
// failure: returned; anything else thrown.
template <typename Call> std::optional<RemoteError> SftpRemoteEngine::refusalOf(Call &&call)
{
    try {
        call();
    } catch (const SftpError &error) {
        const RemoteError failure = SftpToRemote::error(error, m_settings.timeoutMs);
        if (SftpToRemote::isRefusal(error.kind))
            return failure;
        throw failure;
    }
    return std::nullopt;
}

void SftpRemoteEngine::requireConnected() const
{
    if (!connected())
        throw RemoteError::own(RemoteErrorKind::NotConnected, RemoteErrorCode::NotConnected,
                               M::NotConnected);
}

void SftpRemoteEngine::open(const RemoteLogin &login)
{
    if (login.host.trimmed().isEmpty() || login.port < 1 || login.port > 65535)
        throw invalid(RemoteErrorCode::InvalidArgument,
                      RemoteText(M::InvalidHostOrPort, {login.port}));
    for (const QString &text : {login.host, login.user, login.password, m_settings.keyFile})
        if (text.contains(QChar(0)))
            throw invalid(RemoteErrorCode::InvalidName, M::NameHoldsLineBreak);
    SftpLogin sftp;
    sftp.host = login.host;
    sftp.port = login.port;
    sftp.user = login.user;
    sftp.password = login.password;
    sftp.keyFile = m_settings.keyFile;
    try {
        m_engine.open(sftp);
    } catch (const SftpError &error) {
        if (error.kind == SftpErrorKind::Stopped)
            throw RemoteError::own(RemoteErrorKind::Stopped, RemoteErrorCode::StoppedByUser,
                                   M::ConnectStopped);
        throw SftpToRemote::error(error, m_settings.timeoutMs);
    }
}

void SftpRemoteEngine::quit()
{
    translated([&] { m_engine.quit(); });
}

void SftpRemoteEngine::changeDirectory(const QString &path)
{
    requireConnected();
    checkPath(path, M::WhatFolderName);
    translated([&] { m_engine.changeDirectory(path); });
}

void SftpRemoteEngine::parentDirectory()
{
    requireConnected();
    translated([&] { m_engine.parentDirectory(); });
}

RemoteListing SftpRemoteEngine::list(const QString &path)
{
    requireConnected();
    if (path.contains(QChar(0)))
        throw invalid(RemoteErrorCode::InvalidName, M::NameHoldsLineBreak);
    RemoteListing listing;
    translated([&] { listing = SftpToRemote::listing(m_engine.list(path)); });
    return listing;
}

void SftpRemoteEngine::reportFolder(RemoteFolderOutcome outcome, RemoteText text)
{
    RemoteActivity activity =
        RemoteActivity::note(RemoteActivityKind::MakeDirectoryResult, std::move(text));
    activity.folder = outcome;
    m_sink.activity(activity);
}

void SftpRemoteEngine::makeDirectory(const QString &path)
{
    // MakeDirectoryResult tells the outcome, made or not.
    try {
        requireConnected();
        checkPath(path, M::WhatFolderName);
    } catch (const RemoteError &error) {
        reportFolder(RemoteFolderOutcome::NotMade, RemoteText(M::FolderFailed, {error.number}));
        throw;
    }
    try {
        m_engine.makeDirectory(path);
    } catch (const SftpError &error) {
        const RemoteError failure = SftpToRemote::error(error, m_settings.timeoutMs);
        if (error.kind == SftpErrorKind::AlreadyExists)
            reportFolder(RemoteFolderOutcome::AlreadyThere, M::FolderExists);
        else if (SftpToRemote::isRefusal(error.kind))
            reportFolder(RemoteFolderOutcome::NotMade,
                         RemoteText(M::FolderNotMade, {failure.said()}));
        else
            reportFolder(RemoteFolderOutcome::NotMade,
                         RemoteText(M::FolderFailed, {failure.number}));
        throw failure;
    }
    reportFolder(RemoteFolderOutcome::Made,
                 RemoteText(M::FolderMade, {RemoteNameRules::printable(SftpPaths::absolute(
                                               m_engine.currentDirectory(), path))}));
}

void SftpRemoteEngine::removeDirectory(const QString &path)
{
    requireConnected();
    checkPath(path, M::WhatFolderName);
    refuseDotOperand(path);
    translated([&] { m_engine.removeDirectory(path); });
}

void SftpRemoteEngine::deleteFile(const QString &path)
{
    requireConnected();
    checkPath(path, M::WhatFileName);
    refuseDotOperand(path);
    translated([&] { m_engine.deleteFile(path); });
}

void SftpRemoteEngine::rename(const QString &from, const QString &to)
{
    requireConnected();
    checkPath(from, M::WhatName);
    checkPath(to, M::WhatName);
    refuseDotOperand(from);
    refuseDotOperand(to);
    translated([&] { m_engine.rename(from, to); });
}

void SftpRemoteEngine::changePermissions(const QString &path, int permissions)
{
    requireConnected();
    checkPath(path, M::WhatName);
    // Octal digits read as a decimal number: 755 is rwxr-xr-x.
    const QByteArray mode = QByteArray::number(permissions);
    if (permissions < 0 || permissions > 7777 ||
        !std::all_of(mode.cbegin(), mode.cend(), [](char c) { return c <= '7'; }))
        throw invalid(RemoteErrorCode::InvalidArgument,
                      RemoteText(M::InvalidPermissions, {permissions}));
    translated([&] { m_engine.chmod(path, permissions); });
}

void SftpRemoteEngine::transfer(const SftpToRemote::Transfer &kind,
                                const std::function<void()> &call)
{
    m_transfer = kind;
    const auto reset = qScopeGuard([this] { m_transfer = {}; });
    translated(call);
}

void SftpRemoteEngine::download(const QString &remote, const QString &local, qint64 offset)
{
    requireConnected();
    checkPath(remote, M::WhatFileName);
    if (local.isEmpty())
        throw invalid(RemoteErrorCode::InvalidArgument, M::EmptyFileName);
    transfer({false, false}, [&] { m_engine.download(remote, local, offset); });
}

void SftpRemoteEngine::upload(const QString &remote, const QString &local, qint64 offset)
{
    requireConnected();
    checkPath(remote, M::WhatFileName);
    if (local.isEmpty())
        throw invalid(RemoteErrorCode::InvalidArgument, M::EmptyFileName);
    const bool resume = m_settings.uploadMode == RemoteUploadMode::Resume;
    transfer({true, false}, [&] { m_engine.upload(remote, local, resume ? offset : 0); });
}

void SftpRemoteEngine::walk(const std::function<void()> &steps)
{
    requireConnected();
    m_walking = true;
    const auto done = qScopeGuard([this] { m_walking = false; });
    steps();
}

RemoteFolder SftpRemoteEngine::knownFolder() const
{
    return {m_engine.currentDirectory(), m_engine.currentDirectoryRaw()};
}

RemoteFolder SftpRemoteEngine::confirmFolder()
{
    // The engine's folder was confirmed by the server when it was entered;
    // unknown only when the server would not say where a session starts.
    if (m_engine.currentDirectoryRaw().isEmpty())
        translated([&] { m_engine.changeDirectory(QStringLiteral(".")); });
    return knownFolder();
}

std::optional<RemoteError> SftpRemoteEngine::enter(const QString &path)
{
    return refusalOf([&] { m_engine.changeDirectory(path); });
}

bool SftpRemoteEngine::returnTo(const RemoteFolder &folder)
{
    return !refusalOf([&] { m_engine.changeDirectory(folder.path); });
}

RemoteListing SftpRemoteEngine::listHere()
{
    RemoteListing listing;
    translated([&] { listing = SftpToRemote::listing(m_engine.list()); });
    return listing;
}

std::optional<RemoteError> SftpRemoteEngine::makeFolder(const QString &name)
{
    return refusalOf([&] { m_engine.makeDirectory(name); });
}

void SftpRemoteEngine::fetch(const QString &remote, const QString &local, qint64 knownSize)
{
    // The engine learns the size when it opens the file, in the same round trip.
    Q_UNUSED(knownSize)
    transfer({false, true}, [&] { m_engine.download(remote, local, 0); });
}

void SftpRemoteEngine::send(const QString &local, const QString &remote)
{
    transfer({true, true}, [&] { m_engine.upload(remote, local, 0); });
}

void SftpRemoteEngine::activity(const SftpEvent &event)
{
    // A walk's listings are its own steps: the caller hears of the entries
    // it copies, not of every folder read.
    if (m_walking && event.kind == SftpActivity::ListingRead)
        return;
    m_sink.activity(SftpToRemote::activity(event, m_transfer));
}

void SftpRemoteEngine::stateChanged(int state)
{
    m_sink.stateChanged(state, state == SftpState::Connected);
}

// The caller's answer; a stop or a drop meanwhile ends the engine's wait as
// its own would.
RemoteAnswer SftpRemoteEngine::ask(const RemoteQuestion &question)
{
    try {
        return m_sink.ask(question);
    } catch (const RemoteStopRequest &) {
        throw SftpStopRequest{};
    } catch (const RemoteError &error) {
        if (error.kind == RemoteErrorKind::Dropped)
            throw SftpError{SftpErrorKind::Dropped, -1, {}, {}, {}};
        throw;
    }
}

SftpTrust SftpRemoteEngine::hostKeyQuestion(const SftpHostKey &key)
{
    RemoteHostKey question;
    question.host = key.host;
    question.port = key.port;
    question.type = key.type;
    question.fingerprint = key.fingerprint;
    question.state = key.state == SftpHostKeyState::Changed ? RemoteHostKeyState::Changed
                                                            : RemoteHostKeyState::Unknown;
    question.knownFingerprint = key.knownFingerprint;
    return trustOf(ask(question).trust);
}

std::optional<QString> SftpRemoteEngine::secretQuestion(SftpSecret secret, const QString &subject,
                                                        bool again)
{
    RemoteSecretPrompt question;
    question.secret = secret == SftpSecret::Passphrase ? RemoteSecretPrompt::Secret::Passphrase
                                                       : RemoteSecretPrompt::Secret::Password;
    question.subject = subject;
    question.again = again;
    const RemoteAnswer answer = ask(question);
    if (answer.declined)
        return std::nullopt;
    return answer.texts.value(0);
}

std::optional<QStringList>
SftpRemoteEngine::interactiveQuestion(const SftpInteractivePrompt &prompt)
{
    const RemoteAnswer answer =
        ask(RemoteInteractivePrompt{prompt.name, prompt.instruction, prompt.prompts, prompt.echo});
    if (answer.declined)
        return std::nullopt;
    return answer.texts;
}
