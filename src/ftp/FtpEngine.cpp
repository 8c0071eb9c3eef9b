#include "ftp/FtpEngine.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpError.h"
#include "ftp/FtpEventSink.h"
#include "ftp/FtpFileTransfer.h"
#include "ftp/FtpNameRules.h"
#include "ftp/FtpSecurity.h"
#include "ftp/FtpTreeCopy.h"
#include "remote/RemoteInterrupt.h"

namespace {

// Errors after which the server may still be busy with what the session
// asked: the connection is closed rather than trusted.
bool closesSession(const FtpError &error)
{
    return error.number == FtpErrorCode::TimedOut ||
           error.number == FtpErrorCode::ConnectionDropped;
}

QByteArray trimmedUpper(const QByteArray &line)
{
    return line.trimmed().toUpper();
}

RemoteNameCodec::Choice encodingChoice(int nameEncoding)
{
    switch (nameEncoding) {
    case FtpNameEncoding::Utf8:
        return RemoteNameCodec::Choice::Utf8;
    case FtpNameEncoding::Gbk:
        return RemoteNameCodec::Choice::Gb18030;
    default:
        return RemoteNameCodec::Choice::Undecided;
    }
}

void checkName(const QString &name)
{
    if (FtpNameRules::holdsLineBreak(name))
        throw FtpError{FtpErrorCode::InvalidName,
                       QStringLiteral("名称中含有回车、换行或空字符，未发送给服务器")};
}

void checkPath(const QString &path, const QString &what)
{
    checkName(path);
    if (path.isEmpty())
        throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("%1为空").arg(what)};
}

// "." and ".." name no entry of their own: renaming or deleting them would
// act on the folder or its parent.
void refuseDotOperand(const QString &path)
{
    if (FtpNameRules::isDotOperand(path))
        throw FtpError{FtpErrorCode::InvalidArgument,
                       QStringLiteral("\"%1\" 不是可以操作的名称（不能是 . 或 ..）").arg(path)};
}

} // namespace

FtpEngine::FtpEngine(RemoteInterrupt &interrupt, FtpEventSink &sink)
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
    return m_state != FtpState::Closed && m_context.control().isEncrypted() &&
           m_context.dataProtected();
}

void FtpEngine::closeControl()
{
    const bool wasOpen = m_context.control().isOpen() || m_state != FtpState::Closed;
    m_context.control().close();
    m_context.forgetDirectory();
    if (wasOpen)
        m_context.report(FtpEvent::ConnectionClosed, FtpCategory::Information,
                         QStringLiteral("与服务器的控制连接已断开"));
    setState(FtpState::Closed);
}

void FtpEngine::dropNow()
{
    // The session reports the change of state itself, at once.
    m_context.control().close();
    m_context.forgetDirectory();
    m_state = FtpState::Closed;
}

void FtpEngine::requireConnected() const
{
    if (m_state != FtpState::Connected || !m_context.control().isOpen())
        throw FtpError{FtpErrorCode::NotConnected, QStringLiteral("尚未连接到服务器")};
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
    } catch (const FtpError &error) {
        if (closesSession(error) || !m_context.control().isOpen())
            closeControl();
        throw;
    }
}

QByteArray FtpEngine::credential(const QString &text) const
{
    // A site set to GBK logs in with GBK names too.
    return m_context.settings().nameEncoding == FtpNameEncoding::Gbk
               ? m_context.codec().encode(text)
               : text.toUtf8();
}

void FtpEngine::open(const QString &host, const QString &user, const QString &password,
                     const QString &account, int port)
{
    guarded([&] {
        if (host.trimmed().isEmpty() || port < 1 || port > 65535)
            throw FtpError{FtpErrorCode::InvalidArgument,
                           QStringLiteral("主机名或端口无效（端口 %1）").arg(port)};
        checkName(host);
        checkName(user);
        checkName(password);
        checkName(account);
        if (m_context.control().isOpen())
            closeControl();
        m_context.startConnection(encodingChoice(m_context.settings().nameEncoding));
        FtpControlConnection &control = m_context.control();
        setState(FtpState::Connecting);
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
            } catch (const FtpError &error) {
                // Logged in all the same; only CurrentDirectory stays unknown.
                if (!control.isOpen())
                    throw;
                m_context.report(FtpEvent::ReplyIgnored, FtpCategory::Failure, error.description);
            }
            m_context.stopPoint();
            m_context.report(FtpEvent::LoggedIn, FtpCategory::Information,
                             QStringLiteral("已登录到 %1").arg(host.trimmed()));
            setState(FtpState::Connected);
        } catch (const FtpStopRequest &) {
            control.setStoppable(false);
            closeControl();
            throw FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("连接已被用户停止")};
        } catch (const FtpError &) {
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
            throw FtpError{FtpErrorCode::AccountRequired,
                           QStringLiteral("服务器要求提供账户（ACCT），但没有给出账户")};
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
            }
        }
    }
    // A site set to GBK does not ask for UTF-8: the server might switch.
    if (features.utf8 && m_context.settings().nameEncoding != FtpNameEncoding::Gbk) {
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
            setState(FtpState::Closed);
            return;
        }
        try {
            m_context.control().command("QUIT");
        } catch (const FtpError &error) {
            // Closing anyway; only a drop is worth telling.
            if (error.number == FtpErrorCode::ConnectionDropped) {
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
        checkPath(path, QStringLiteral("目录名"));
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

FtpListing FtpEngine::list(const QString &path)
{
    FtpListing listing;
    guarded([&] {
        requireConnected();
        checkName(path);
        listing = m_context.list(path.isEmpty() ? QByteArray() : m_context.encode(path));
        m_context.report(FtpEvent::ListingRead, FtpCategory::Information,
                         QStringLiteral("目录列表读取完毕，共 %1 项").arg(listing.entries.size()),
                         listing.entries.size(), listing.format);
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
        throw FtpError{FtpErrorCode::BadReply,
                       QStringLiteral("无法回到目录 %1").arg(m_context.currentDirectory())};
    return true;
}

void FtpEngine::makeDirectory(const QString &path)
{
    // Code 25 reports the outcome, success or failure.
    guarded([&] {
        FtpControlConnection &control = m_context.control();
        int replyCode = 0;
        try {
            requireConnected();
            checkPath(path, QStringLiteral("目录名"));
            const QByteArray raw = m_context.encode(path);
            control.send("MKD", raw);
            const FtpReply reply = control.readReply(0);
            replyCode = reply.code;
            const QString serverText = control.text(reply);
            if (reply.isPositive()) {
                m_context.report(FtpEvent::MakeDirectoryResult, FtpCategory::ServerReply,
                                 serverText, 0, reply.code);
                return;
            }
            m_context.report(FtpEvent::ServerReply, FtpCategory::ServerReply, serverText, 0,
                             reply.code);
            // The server's wording says little ("550 Create directory operation
            // failed."): look whether the name is there, as a folder or a file.
            bool exists = false;
            if (reply.code >= 500) {
                if (m_context.features().mlsd && control.command("MLST", raw).isPositive())
                    exists = true;
                else
                    exists = directoryExists(raw) || m_context.remoteSize(raw).has_value();
            }
            const QString outcome =
                exists ? QStringLiteral("无法创建目录：该名称已存在 (exists)")
                       : QStringLiteral("无法创建目录（服务器回复 %1）").arg(reply.code);
            m_context.report(FtpEvent::MakeDirectoryResult, FtpCategory::Failure, outcome, 0,
                             reply.code);
            replyCode = -1; // reported
            throw FtpError{reply.code, serverText};
        } catch (const FtpError &error) {
            if (replyCode >= 0) {
                // Never the server's or the path's text here: it must not say
                // "exists" unless the name does.
                m_context.report(FtpEvent::MakeDirectoryResult, FtpCategory::Failure,
                                 QStringLiteral("无法创建目录（错误 %1）").arg(error.number), 0,
                                 replyCode);
            }
            throw;
        }
    });
}

void FtpEngine::removeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path, QStringLiteral("目录名"));
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
        checkPath(path, QStringLiteral("文件名"));
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
        checkPath(from, QStringLiteral("名称"));
        checkPath(to, QStringLiteral("名称"));
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

void FtpEngine::download(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkPath(remote, QStringLiteral("文件名"));
        if (local.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("文件名为空")};
        FtpFileTransfer(m_context).download(m_context.encode(remote), local, offset,
                                            FtpEvent::DownloadFileProgress, -1);
    });
}

void FtpEngine::upload(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkPath(remote, QStringLiteral("文件名"));
        if (local.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("文件名为空")};
        const bool resume = m_context.settings().uploadMode == FtpUploadMode::Resume;
        FtpFileTransfer(m_context).upload(local, m_context.encode(remote), resume ? offset : 0,
                                          FtpEvent::UploadFileProgress);
    });
}

void FtpEngine::downloadTree(const QString &remotePattern, const QString &localFolder)
{
    guarded([&] {
        requireConnected();
        checkName(remotePattern);
        FtpTreeCopy(m_context).download(FtpNameRules::splitRemotePattern(remotePattern),
                                        localFolder);
    });
}

void FtpEngine::uploadTree(const QString &localPattern, const QString &remoteFolder)
{
    guarded([&] {
        requireConnected();
        checkName(remoteFolder);
        FtpTreeCopy(m_context).upload(FtpNameRules::splitLocalPattern(localPattern), remoteFolder);
    });
}
