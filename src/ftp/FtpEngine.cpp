#include "ftp/FtpEngine.h"

#include "ftp/FtpErrors.h"
#include "ftp/FtpFileHash.h"
#include "ftp/FtpFileTransfer.h"
#include "ftp/FtpListLine.h"
#include "ftp/FtpMlsdParser.h"
#include "ftp/FtpSecurity.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteNameRules.h"

#include <algorithm>

namespace {

// Errors after which the server may still be busy with what the session
// asked: the connection is closed rather than trusted.
bool closesSession(const RemoteError &error)
{
    return error.number == RemoteErrorCode::TimedOut ||
           error.number == RemoteErrorCode::ConnectionDropped;
}

QByteArray trimmedUpper(const QByteArray &line)
{
    return line.trimmed().toUpper();
}

RemoteNameCodec::Choice encodingChoice(int nameEncoding)
{
    switch (nameEncoding) {
    case RemoteNameEncoding::Utf8:
        return RemoteNameCodec::Choice::Utf8;
    case RemoteNameEncoding::Gbk:
        return RemoteNameCodec::Choice::Gb18030;
    default:
        return RemoteNameCodec::Choice::Undecided;
    }
}

void checkName(const QString &name)
{
    if (RemoteNameRules::holdsLineBreak(name))
        throw FtpErrors::own(RemoteErrorCode::InvalidName, RemoteMessage::NameHoldsLineBreak);
}

void checkPath(const QString &path, RemoteMessage what)
{
    checkName(path);
    if (path.isEmpty())
        throw FtpErrors::own(RemoteErrorCode::InvalidArgument,
                             RemoteText(RemoteMessage::EmptyArgument, {what}));
}

// "." and ".." name no entry of their own: renaming or deleting them would
// act on the folder or its parent.
void refuseDotOperand(const QString &path)
{
    if (RemoteNameRules::isDotOperand(path))
        throw FtpErrors::own(RemoteErrorCode::InvalidArgument,
                             RemoteText(RemoteMessage::DotOperand, {path}));
}

} // namespace

FtpEngine::FtpEngine(RemoteInterrupt &interrupt, RemoteEventSink &sink)
    : m_context(interrupt, sink), m_sink(sink)
{}

void FtpEngine::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    m_sink.stateChanged(state, encrypted());
}

bool FtpEngine::encrypted() const
{
    return m_state != RemoteState::Closed && m_context.control().isEncrypted() &&
           m_context.dataProtected();
}

void FtpEngine::closeControl()
{
    const bool wasOpen = m_context.control().isOpen() || m_state != RemoteState::Closed;
    m_context.control().close();
    m_context.forgetDirectory();
    if (wasOpen)
        m_context.note(RemoteActivityKind::ConnectionClosed, RemoteMessage::ConnectionClosed);
    setState(RemoteState::Closed);
}

void FtpEngine::dropNow()
{
    // The session reports the change of state itself, at once.
    m_context.control().close();
    m_context.forgetDirectory();
    m_state = RemoteState::Closed;
}

void FtpEngine::requireConnected() const
{
    if (m_state != RemoteState::Connected || !m_context.control().isOpen())
        throw FtpErrors::own(RemoteErrorCode::NotConnected, RemoteMessage::NotConnected);
}

// Runs one operation; afterwards the state matches the control connection.
// A stop asked for during the operation ends it with 11101 once the server
// has answered, also when that answer was the last of the operation. The
// failure itself reaches the caller as the thrown error only: reporting it
// as an event as well would show it twice wherever the caller logs it.
template <typename Operation> void FtpEngine::guarded(Operation &&operation)
{
    try {
        operation();
        m_context.stopPoint();
    } catch (const RemoteError &error) {
        if (closesSession(error) || !m_context.control().isOpen())
            closeControl();
        throw;
    }
}

QByteArray FtpEngine::credential(const QString &text) const
{
    // A site set to GBK logs in with GBK names too.
    return m_context.settings().nameEncoding == RemoteNameEncoding::Gbk
               ? m_context.codec().encode(text)
               : text.toUtf8();
}

void FtpEngine::open(const RemoteLogin &site)
{
    const QString &host = site.host;
    const QString &user = site.user;
    const QString &password = site.password;
    const QString &account = site.account;
    const int port = site.port;
    guarded([&] {
        if (host.trimmed().isEmpty() || port < 1 || port > 65535)
            throw FtpErrors::own(RemoteErrorCode::InvalidArgument,
                                 RemoteText(RemoteMessage::InvalidHostOrPort, {port}));
        checkName(host);
        checkName(user);
        checkName(password);
        checkName(account);
        if (m_context.control().isOpen())
            closeControl();
        m_context.startConnection(encodingChoice(m_context.settings().nameEncoding));
        FtpControlConnection &control = m_context.control();
        setState(RemoteState::Connecting);
        // A stop ends the connect at once, whatever it waits for.
        control.setStoppable(true);
        try {
            control.open(host.trimmed(), quint16(port), m_context.settings().timeoutMs);
            FtpSecurity security(m_context, host.trimmed(), port);
            security.beforeGreeting();
            FtpReply greeting = control.readReply();
            for (int i = 0; greeting.code == 120 && i < 8; ++i)
                greeting = control.readReply();
            if (!greeting.isPositive())
                control.refuse(greeting);
            security.beforeLogin();
            login(user, password, account);
            security.afterLogin();
            readFeatures();
            control.setStoppable(false);
            m_context.useTransferType();
            try {
                m_context.confirmDirectory();
            } catch (const RemoteError &error) {
                // Logged in all the same; only CurrentDirectory stays unknown.
                if (!control.isOpen())
                    throw;
                m_context.note(RemoteActivityKind::ReplyIgnored, error.said());
            }
            m_context.stopPoint();
            m_context.note(RemoteActivityKind::LoggedIn,
                           RemoteText(RemoteMessage::LoggedIn, {host.trimmed()}));
            setState(RemoteState::Connected);
        } catch (const RemoteStopRequest &) {
            control.setStoppable(false);
            closeControl();
            throw FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::ConnectStopped);
        } catch (const RemoteError &) {
            control.setStoppable(false);
            closeControl();
            throw;
        }
    });
}

void FtpEngine::login(const QString &user, const QString &password, const QString &account)
{
    FtpControlConnection &control = m_context.control();
    const QString name = user.isEmpty() ? QStringLiteral("anonymous") : user;
    const bool anonymous = name.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0 ||
                           name.compare(QLatin1String("ftp"), Qt::CaseInsensitive) == 0;
    // Anonymous servers want some password; "anonymous@" is the custom.
    const QString pass = password.isEmpty() && anonymous ? QStringLiteral("anonymous@") : password;
    FtpReply reply = control.command("USER", credential(name));
    if (reply.code == 331)
        reply = control.command("PASS", credential(pass), QStringLiteral("PASS ******"));
    if (reply.code == 332) {
        if (account.isEmpty())
            throw FtpErrors::own(RemoteErrorCode::AccountRequired, RemoteMessage::AccountRequired);
        reply = control.command("ACCT", credential(account), QStringLiteral("ACCT ******"));
    }
    if (reply.code != 230 && reply.code != 202)
        control.refuse(reply);
}

void FtpEngine::readFeatures()
{
    FtpControlConnection &control = m_context.control();
    FtpFeatures &features = m_context.features();
    const FtpReply reply = control.command("FEAT");
    if (reply.isPositive()) {
        for (qsizetype i = 1; i + 1 < reply.lines.size(); ++i) {
            const QByteArray feature = trimmedUpper(reply.lines.at(i));
            if (feature == "MLSD" || feature.startsWith("MLST")) {
                features.mlsd = true;
                if (feature.startsWith("MLST")) {
                    features.mlst = true;
                    features.mlstFacts = reply.lines.at(i).trimmed().mid(5);
                }
            } else if (feature == "REST STREAM") {
                features.restStream = true;
            } else if (feature == "UTF8") {
                features.utf8 = true;
            } else {
                FtpFileHash::readFeature(reply.lines.at(i), features);
            }
        }
    }
    // A site set to GBK does not ask for UTF-8: the server might switch.
    if (features.utf8 && m_context.settings().nameEncoding != RemoteNameEncoding::Gbk) {
        // 200: switched, names are UTF-8 from now on. Refused (pyftpdlib says
        // 501 although it is UTF-8 already): the names will tell.
        if (control.command("OPTS", "UTF8 ON").isPositive())
            m_context.codec().reset(RemoteNameCodec::Choice::Utf8);
    }
    if (!features.mlstFacts.isEmpty()) {
        // Ask for the facts the listing uses, among those offered.
        static const QByteArrayList wanted = {"type",   "size",      "sizd",
                                              "modify", "unix.mode", "unique"};
        QByteArray facts;
        for (QByteArray offered : features.mlstFacts.split(';')) {
            offered = offered.trimmed();
            if (offered.endsWith('*'))
                offered.chop(1);
            if (wanted.contains(offered.toLower()))
                facts += offered + ';';
        }
        if (!facts.isEmpty())
            control.command("OPTS", "MLST " + facts);
    }
    if (!features.restStream) {
        // Not announced: try it. REST 0 leaves the next transfer as it was.
        features.restStream = control.command("REST", "0").code == 350;
    }
}

void FtpEngine::quit()
{
    guarded([&] {
        if (!m_context.control().isOpen()) {
            setState(RemoteState::Closed);
            return;
        }
        try {
            m_context.control().command("QUIT");
        } catch (const RemoteError &error) {
            // Closing anyway; only a drop is worth telling.
            if (error.number == RemoteErrorCode::ConnectionDropped) {
                closeControl();
                throw;
            }
        }
        closeControl();
    });
}

void FtpEngine::changeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path, RemoteMessage::WhatFolderName);
        FtpReply refusal;
        if (!m_context.enterRaw(m_context.encode(path), &refusal))
            m_context.control().refuse(refusal);
        // Even after a stop: CurrentDirectory must say where the server is.
        m_context.confirmDirectory();
    });
}

void FtpEngine::parentDirectory()
{
    guarded([&] {
        requireConnected();
        const FtpReply reply = m_context.control().command("CDUP");
        if (!reply.isPositive())
            m_context.control().refuse(reply);
        m_context.confirmDirectory();
    });
}

RemoteListing FtpEngine::list(const QString &path)
{
    RemoteListing listing;
    guarded([&] {
        requireConnected();
        checkName(path);
        listing = m_context.list(path.isEmpty() ? QByteArray() : m_context.encode(path),
                                 FtpListingReader::Use::Shown);
        const qsizetype count = m_context.entriesShown() + listing.entries.size();
        RemoteActivity read = RemoteActivity::note(RemoteActivityKind::ListingRead,
                                                   RemoteText(RemoteMessage::ListingRead, {count}));
        read.count = count;
        read.format = listing.format;
        m_context.report(read);
    });
    return listing;
}

bool FtpEngine::directoryExists(const QByteArray &raw)
{
    const QByteArray back = m_context.currentDirectoryRaw();
    if (back.isEmpty())
        return false; // no way back after a look inside
    if (!m_context.enterRaw(raw))
        return false;
    if (!m_context.enterRaw(back))
        throw FtpErrors::own(RemoteErrorCode::BadReply, RemoteText(RemoteMessage::CannotReturnTo,
                                                                   {m_context.currentDirectory()}));
    return true;
}

void FtpEngine::reportMadeDirectory(RemoteFolderOutcome outcome, int replyCode,
                                    const QString &reply, RemoteText text)
{
    RemoteActivity activity =
        RemoteActivity::note(RemoteActivityKind::MakeDirectoryResult, std::move(text));
    activity.folder = outcome;
    activity.replyCode = replyCode;
    activity.reply = reply;
    m_context.report(activity);
}

void FtpEngine::makeDirectory(const QString &path)
{
    // MakeDirectoryResult tells the outcome, made or not.
    guarded([&] {
        FtpControlConnection &control = m_context.control();
        int replyCode = 0;
        try {
            requireConnected();
            checkPath(path, RemoteMessage::WhatFolderName);
            const QByteArray raw = m_context.encode(path);
            control.send("MKD", raw);
            const FtpReply reply = control.readReply(false);
            replyCode = reply.code;
            const QString serverText = control.text(reply);
            if (reply.isPositive()) {
                reportMadeDirectory(RemoteFolderOutcome::Made, reply.code, serverText, {});
                return;
            }
            RemoteActivity said;
            said.kind = RemoteActivityKind::ServerReply;
            said.reply = serverText;
            said.replyCode = reply.code;
            m_context.report(said);
            // The server's wording says little ("550 Create directory operation
            // failed."): look whether the name is there, as a folder or a file.
            bool exists = false;
            if (reply.code >= 500) {
                if (m_context.features().mlsd && control.command("MLST", raw).isPositive())
                    exists = true;
                else
                    exists = directoryExists(raw) || m_context.remoteSize(raw).has_value();
            }
            if (exists)
                reportMadeDirectory(RemoteFolderOutcome::AlreadyThere, reply.code, {},
                                    RemoteMessage::FolderExists);
            else
                reportMadeDirectory(RemoteFolderOutcome::NotMade, reply.code, {},
                                    RemoteText(RemoteMessage::FolderRefused, {reply.code}));
            replyCode = -1; // reported
            throw FtpErrors::refusal(reply.code, serverText);
        } catch (const RemoteError &error) {
            if (replyCode >= 0)
                reportMadeDirectory(RemoteFolderOutcome::NotMade, replyCode, {},
                                    RemoteText(RemoteMessage::FolderFailed, {error.number}));
            throw;
        }
    });
}

void FtpEngine::removeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path, RemoteMessage::WhatFolderName);
        refuseDotOperand(path);
        const FtpReply reply = m_context.control().command("RMD", m_context.encode(path));
        if (!reply.isPositive())
            m_context.control().refuse(reply);
    });
}

void FtpEngine::deleteFile(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path, RemoteMessage::WhatFileName);
        refuseDotOperand(path);
        const FtpReply reply = m_context.control().command("DELE", m_context.encode(path));
        if (!reply.isPositive())
            m_context.control().refuse(reply);
    });
}

void FtpEngine::rename(const QString &from, const QString &to)
{
    guarded([&] {
        requireConnected();
        checkPath(from, RemoteMessage::WhatName);
        checkPath(to, RemoteMessage::WhatName);
        refuseDotOperand(from);
        refuseDotOperand(to);
        FtpControlConnection &control = m_context.control();
        const QByteArray source = m_context.encode(from);
        const QByteArray target = m_context.encode(to);
        const FtpReply first = control.command("RNFR", source);
        if (first.code != 350)
            control.refuse(first);
        // Stopped between the two: nothing has been renamed yet.
        m_context.stopPoint();
        const FtpReply second = control.command("RNTO", target);
        if (!second.isPositive())
            control.refuse(second);
    });
}

// SITE CHMOD, which servers on Unix offer (vsftpd with chmod_enable,
// ProFTPD, pyftpdlib); others refuse it with 500 or 502.
void FtpEngine::changePermissions(const QString &path, int permissions)
{
    guarded([&] {
        requireConnected();
        checkPath(path, RemoteMessage::WhatName);
        // Octal digits read as a decimal number: 755 is rwxr-xr-x.
        const QByteArray mode = QByteArray::number(permissions);
        if (permissions < 0 || permissions > 7777 ||
            !std::all_of(mode.cbegin(), mode.cend(), [](char c) { return c <= '7'; }))
            throw FtpErrors::own(RemoteErrorCode::InvalidArgument,
                                 RemoteText(RemoteMessage::InvalidPermissions, {permissions}));
        const FtpReply reply =
            m_context.control().command("SITE", "CHMOD " + mode + ' ' + m_context.encode(path));
        if (!reply.isPositive())
            m_context.control().refuse(reply);
    });
}

void FtpEngine::download(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkPath(remote, RemoteMessage::WhatFileName);
        if (local.isEmpty())
            throw FtpErrors::own(RemoteErrorCode::InvalidArgument, RemoteMessage::EmptyFileName);
        FtpFileTransfer(m_context).download(m_context.encode(remote), local, offset,
                                            RemoteActivityKind::DownloadFileProgress, -1);
    });
}

void FtpEngine::upload(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkPath(remote, RemoteMessage::WhatFileName);
        if (local.isEmpty())
            throw FtpErrors::own(RemoteErrorCode::InvalidArgument, RemoteMessage::EmptyFileName);
        const bool resume = m_context.settings().uploadMode == RemoteUploadMode::Resume;
        FtpFileTransfer(m_context).upload(local, m_context.encode(remote), resume ? offset : 0,
                                          RemoteActivityKind::UploadFileProgress);
    });
}

void FtpEngine::walk(const std::function<void()> &steps)
{
    guarded([&] {
        requireConnected();
        steps();
    });
}

RemoteFolder FtpEngine::knownFolder() const
{
    return {m_context.currentDirectory(), m_context.currentDirectoryRaw()};
}

RemoteFolder FtpEngine::confirmFolder()
{
    m_context.confirmDirectory();
    return knownFolder();
}

QByteArray FtpEngine::folderIdentity()
{
    const QByteArray facts = m_context.factsOf({});
    FtpListLine line;
    if (facts.isEmpty() || !FtpMlsdParser::parse(facts, line))
        return {};
    return line.unique.toByteArray();
}

std::optional<RemoteError> FtpEngine::enter(const QString &path)
{
    FtpReply refusal;
    if (m_context.enterRaw(m_context.encode(path), &refusal))
        return std::nullopt;
    return FtpErrors::refusal(refusal.code, m_context.control().text(refusal));
}

bool FtpEngine::returnTo(const RemoteFolder &folder)
{
    return m_context.restoreDirectory(folder.raw, folder.path);
}

RemoteListing FtpEngine::listHere()
{
    return m_context.list({}, FtpListingReader::Use::Walk);
}

std::optional<RemoteError> FtpEngine::makeFolder(const QString &name)
{
    const FtpReply made = m_context.control().command("MKD", m_context.encode(name));
    if (made.isPositive())
        return std::nullopt;
    return FtpErrors::refusal(made.code, m_context.control().text(made));
}

void FtpEngine::fetch(const QString &remote, const QString &local, qint64 knownSize)
{
    FtpFileTransfer(m_context).download(m_context.encode(remote), local, 0,
                                        RemoteActivityKind::DownloadManyProgress, knownSize);
}

void FtpEngine::send(const QString &local, const QString &remote)
{
    FtpFileTransfer(m_context).upload(local, m_context.encode(remote), 0,
                                      RemoteActivityKind::UploadManyProgress);
}

RemoteHashAlgorithm FtpEngine::hashAlgorithm()
{
    RemoteHashAlgorithm algorithm = RemoteHashAlgorithm::None;
    guarded([&] {
        if (connected())
            algorithm = FtpFileHash(m_context).algorithm();
    });
    return algorithm;
}

RemoteHash FtpEngine::fileHash(const QString &path, qint64 sizeHint)
{
    RemoteHash hash;
    guarded([&] {
        requireConnected();
        checkPath(path, RemoteMessage::WhatFileName);
        hash = FtpFileHash(m_context).of(m_context.encode(path), sizeHint);
    });
    return hash;
}

void FtpEngine::setTransferTap(RemoteDigest *tap)
{
    m_context.setTransferTap(tap);
}
