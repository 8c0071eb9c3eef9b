#include "ftp/FtpEngine.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpDataConnection.h"
#include "ftp/FtpError.h"
#include "ftp/FtpEventSink.h"
#include "ftp/FtpFileTransfer.h"
#include "ftp/FtpListingParser.h"
#include "ftp/FtpNameRules.h"
#include "ftp/FtpSocket.h"
#include "ftp/FtpTreeCopy.h"

#include <QDate>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// Errors after which the server may still be busy with what the session
// asked: the connection is closed rather than trusted.
bool closesSession(const FtpError &error)
{
    return error.number == FtpErrorCode::TimedOut ||
           error.number == FtpErrorCode::ConnectionDropped;
}

FtpListDate today()
{
    const QDate date = QDate::currentDate();
    FtpListDate result;
    result.year = date.year();
    result.month = date.month();
    result.day = date.day();
    return result;
}

QByteArray trimmedUpper(const QByteArray &line)
{
    return line.trimmed().toUpper();
}

} // namespace

FtpEngine::FtpEngine(FtpInterrupt &interrupt, FtpEventSink &sink)
    : m_interrupt(interrupt), m_sink(sink), m_control(interrupt, sink)
{}

FtpEngine::~FtpEngine() = default;

void FtpEngine::setSettings(const FtpSettings &settings)
{
    m_settings = settings;
    m_control.setTimeout(settings.timeoutMs);
    m_progressClock.start();
}

void FtpEngine::report(int code, int category, const QString &text, qint64 count,
                       const QVariant &extra)
{
    m_sink.activity(code, category, m_control.masked(text) + LineEnd, count, extra);
}

void FtpEngine::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    m_sink.stateChanged(state);
}

void FtpEngine::closeControl()
{
    const bool wasOpen = m_control.isOpen() || m_state != FtpState::Closed;
    m_control.close();
    m_currentDirectory.clear();
    m_currentDirectoryRaw.clear();
    if (wasOpen)
        report(FtpEvent::ConnectionClosed, FtpCategory::Information,
               QStringLiteral("与服务器的控制连接已断开"));
    setState(FtpState::Closed);
}

void FtpEngine::dropNow()
{
    // The session reports the change of state itself, at once.
    m_control.close();
    m_currentDirectory.clear();
    m_currentDirectoryRaw.clear();
    m_state = FtpState::Closed;
}

void FtpEngine::requireConnected() const
{
    if (m_state != FtpState::Connected || !m_control.isOpen())
        throw FtpError{FtpErrorCode::NotConnected, QStringLiteral("尚未连接到服务器")};
}

void FtpEngine::checkName(const QString &name)
{
    if (FtpNameRules::holdsLineBreak(name))
        throw FtpError{FtpErrorCode::InvalidName,
                       QStringLiteral("名称中含有回车、换行或空字符，未发送给服务器")};
}

// Runs one operation; afterwards the state matches the control connection.
// The failure itself reaches the caller as the thrown error only: reporting
// it as an event as well would show it twice wherever the caller logs it.
template <typename Operation> void FtpEngine::guarded(Operation &&operation)
{
    try {
        operation();
    } catch (const FtpError &error) {
        if (closesSession(error) || !m_control.isOpen())
            closeControl();
        throw;
    }
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
        if (m_control.isOpen())
            closeControl();
        m_features = FtpFeatures();
        m_codec.clear();
        m_type = 0;
        m_control.setSecrets({password, account});
        setState(FtpState::Connecting);
        try {
            m_control.open(host.trimmed(), quint16(port), m_settings.timeoutMs);
            FtpReply greeting = m_control.readReply();
            for (int i = 0; greeting.code == 120 && i < 8; ++i)
                greeting = m_control.readReply();
            if (!greeting.isPositive())
                m_control.refuse(greeting);
            login(user, password, account);
            readFeatures();
            const FtpReply type = m_control.command("TYPE", "I");
            if (!type.isPositive())
                m_control.refuse(type);
            m_type = 'I';
            try {
                confirmDirectory();
            } catch (const FtpError &error) {
                // Logged in all the same; only CurrentDirectory stays unknown.
                if (!m_control.isOpen())
                    throw;
                report(FtpEvent::ReplyIgnored, FtpCategory::Failure, error.description);
            }
            report(FtpEvent::LoggedIn, FtpCategory::Information,
                   QStringLiteral("已登录到 %1").arg(host.trimmed()));
            setState(FtpState::Connected);
        } catch (const FtpError &) {
            closeControl();
            throw;
        }
    });
}

void FtpEngine::login(const QString &user, const QString &password, const QString &account)
{
    const QString name = user.isEmpty() ? QStringLiteral("anonymous") : user;
    const bool anonymous = name.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0 ||
                           name.compare(QLatin1String("ftp"), Qt::CaseInsensitive) == 0;
    // Anonymous servers want some password; "anonymous@" is the custom.
    const QString pass = password.isEmpty() && anonymous ? QStringLiteral("anonymous@") : password;
    FtpReply reply = m_control.command("USER", name.toUtf8());
    if (reply.code == 331)
        reply = m_control.command("PASS", pass.toUtf8(), QStringLiteral("PASS ******"));
    if (reply.code == 332) {
        if (account.isEmpty())
            throw FtpError{FtpErrorCode::AccountRequired,
                           QStringLiteral("服务器要求提供账户（ACCT），但没有给出账户")};
        reply = m_control.command("ACCT", account.toUtf8(), QStringLiteral("ACCT ******"));
    }
    if (reply.code != 230 && reply.code != 202)
        m_control.refuse(reply);
}

void FtpEngine::readFeatures()
{
    const FtpReply reply = m_control.command("FEAT");
    if (reply.isPositive()) {
        for (qsizetype i = 1; i + 1 < reply.lines.size(); ++i) {
            const QByteArray feature = trimmedUpper(reply.lines.at(i));
            if (feature == "MLSD" || feature.startsWith("MLST")) {
                m_features.mlsd = true;
                if (feature.startsWith("MLST")) {
                    m_features.mlst = true;
                    m_features.mlstFacts = reply.lines.at(i).trimmed().mid(5);
                }
            } else if (feature == "REST STREAM") {
                m_features.restStream = true;
            } else if (feature == "UTF8") {
                m_features.utf8 = true;
            }
        }
    }
    if (m_features.utf8) {
        // 200: switched; 501 and the like: already UTF-8 (pyftpdlib). Either way.
        m_control.command("OPTS", "UTF8 ON");
    }
    if (!m_features.mlstFacts.isEmpty()) {
        // Ask for the facts the listing uses, among those offered.
        static const QByteArrayList wanted = {"type",   "size",      "sizd",
                                              "modify", "unix.mode", "unique"};
        QByteArray facts;
        for (QByteArray offered : m_features.mlstFacts.split(';')) {
            offered = offered.trimmed();
            if (offered.endsWith('*'))
                offered.chop(1);
            if (wanted.contains(offered.toLower()))
                facts += offered + ';';
        }
        if (!facts.isEmpty())
            m_control.command("OPTS", "MLST " + facts);
    }
    if (!m_features.restStream) {
        // Not announced: try it. REST 0 leaves the next transfer as it was.
        m_features.restStream = m_control.command("REST", "0").code == 350;
    }
}

void FtpEngine::quit()
{
    guarded([&] {
        if (!m_control.isOpen()) {
            setState(FtpState::Closed);
            return;
        }
        try {
            m_control.command("QUIT");
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

QString FtpEngine::parseDirectoryReply(const FtpReply &reply, QByteArray &raw)
{
    const QByteArray line = reply.lines.value(0).mid(4);
    raw.clear();
    const qsizetype open = line.indexOf('"');
    if (open >= 0) {
        qsizetype pos = open + 1;
        bool closed = false;
        while (pos < line.size()) {
            if (line.at(pos) == '"') {
                if (pos + 1 < line.size() && line.at(pos + 1) == '"') {
                    raw += '"';
                    pos += 2;
                    continue;
                }
                closed = true;
                break;
            }
            raw += line.at(pos++);
        }
        if (!closed)
            throw FtpError{FtpErrorCode::BadReply,
                           QStringLiteral("无法识别服务器返回的当前目录（引号未闭合）")};
    } else {
        // Some servers leave the quotes out: "257 /home/user is the current directory".
        const QByteArray first = line.trimmed().split(' ').value(0);
        if (!first.startsWith('/'))
            throw FtpError{FtpErrorCode::BadReply, QStringLiteral("无法识别服务器返回的当前目录")};
        raw = first;
    }
    if (raw.isEmpty())
        throw FtpError{FtpErrorCode::BadReply, QStringLiteral("服务器返回的当前目录为空")};
    QStringList parts;
    for (const QByteArray &part : raw.split('/'))
        parts.append(m_codec.decode(part));
    const QString path = parts.join(QLatin1Char('/'));
    if (FtpNameRules::holdsControlCharacter(path))
        throw FtpError{FtpErrorCode::UnsafeServerName,
                       QStringLiteral("服务器返回的当前目录含有控制字符，已拒绝")};
    return path;
}

void FtpEngine::confirmDirectory()
{
    const FtpReply reply = m_control.command("PWD");
    if (!reply.isPositive())
        m_control.refuse(reply);
    m_currentDirectory.clear();
    m_currentDirectoryRaw.clear();
    QByteArray raw;
    const QString path = parseDirectoryReply(reply, raw);
    m_currentDirectory = path;
    m_currentDirectoryRaw = raw;
}

void FtpEngine::restoreDirectory(const QByteArray &raw, const QString &shown)
{
    if (raw.isEmpty())
        return;
    if (!enterRaw(raw))
        throw FtpError{FtpErrorCode::BadReply, QStringLiteral("无法回到目录 %1").arg(shown)};
    m_currentDirectory = shown;
    m_currentDirectoryRaw = raw;
}

QByteArray FtpEngine::factsOf(const QByteArray &raw)
{
    if (!m_features.mlst)
        return {};
    const FtpReply reply = m_control.command("MLST", raw);
    // "250-Listing x", " type=dir;unique=801g2; /x", "250 End"
    if (!reply.isPositive() || reply.lines.size() < 3)
        return {};
    return reply.lines.at(1).trimmed();
}

bool FtpEngine::enterRaw(const QByteArray &raw, int *refusal)
{
    const FtpReply reply = m_control.command("CWD", raw);
    if (reply.isPositive())
        return true;
    if (refusal)
        *refusal = reply.code;
    return false;
}

void FtpEngine::changeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkName(path);
        if (path.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("目录名为空")};
        const FtpReply reply = m_control.command("CWD", encode(path));
        if (!reply.isPositive())
            m_control.refuse(reply);
        confirmDirectory();
    });
}

void FtpEngine::parentDirectory()
{
    guarded([&] {
        requireConnected();
        const FtpReply reply = m_control.command("CDUP");
        if (!reply.isPositive())
            m_control.refuse(reply);
        confirmDirectory();
    });
}

std::optional<qint64> FtpEngine::remoteSize(const QByteArray &raw)
{
    if (!m_features.size)
        return std::nullopt;
    const FtpReply reply = m_control.command("SIZE", raw);
    if (reply.code == 213) {
        bool ok = false;
        const qint64 size = reply.lines.value(0).mid(4).trimmed().toLongLong(&ok);
        if (ok && size >= 0)
            return size;
        return std::nullopt;
    }
    if (reply.code == 500 || reply.code == 502)
        m_features.size = false;
    return std::nullopt;
}

void FtpEngine::useTransferType()
{
    const char wanted = m_settings.transferSetting == FtpTransferSetting::Ascii ? 'A' : 'I';
    if (m_type == wanted)
        return;
    const FtpReply reply = m_control.command("TYPE", QByteArray(1, wanted));
    if (!reply.isPositive())
        m_control.refuse(reply);
    m_type = wanted;
}

FtpReply FtpEngine::startTransfer(FtpDataConnection &data, const QByteArray &verb,
                                  const QByteArray &argument)
{
    const FtpReply reply = m_control.command(verb, argument);
    if (reply.isPreliminary()) {
        data.establish();
        return reply;
    }
    data.close();
    if (reply.code >= 400)
        m_control.refuse(reply);
    throw FtpError{FtpErrorCode::BadReply,
                   QStringLiteral("服务器对 %1 的回复无法识别：%2")
                       .arg(QString::fromLatin1(verb), m_control.text(reply))};
}

void FtpEngine::finishTransfer()
{
    FtpReply reply = m_control.readReply();
    for (int i = 0; reply.isPreliminary() && i < 8; ++i)
        reply = m_control.readReply();
    if (reply.isPositive())
        return;
    if (reply.code >= 400)
        m_control.refuse(reply);
    throw FtpError{FtpErrorCode::BadReply,
                   QStringLiteral("服务器对传输结束的回复无法识别：%1").arg(m_control.text(reply))};
}

void FtpEngine::failTransfer(FtpDataConnection &data, const FtpError &error)
{
    data.close();
    finishTransfer();
    throw error;
}

void FtpEngine::abortTransfer(FtpDataConnection &data)
{
    data.close();
    try {
        // The PWD reply (257) marks the end of whatever the server still had
        // to say about the transfer and the ABOR: 426, 226, 225 in any number.
        m_control.send("ABOR");
        m_control.send("PWD");
        for (int i = 0; i < 8; ++i)
            if (m_control.readReply().code == 257)
                return;
        closeControl();
    } catch (const FtpError &error) {
        closeControl();
        if (error.number == FtpErrorCode::ConnectionDropped)
            throw;
    }
}

FtpListing FtpEngine::listRaw(const QByteArray &raw, QVector<QByteArray> *uniques)
{
    const bool mlsd = m_features.mlsd;
    FtpDataConnection data(*this);
    data.prepare();
    FtpReply reply = m_control.command(mlsd ? "MLSD" : "LIST", raw);
    if (mlsd && (reply.code == 500 || reply.code == 502)) {
        // Announced but not there after all: LIST from now on.
        m_features.mlsd = false;
        data.close();
        return listRaw(raw, uniques);
    }
    if (!reply.isPreliminary()) {
        data.close();
        if (reply.code >= 400)
            m_control.refuse(reply);
        throw FtpError{
            FtpErrorCode::BadReply,
            QStringLiteral("服务器对目录列表命令的回复无法识别：%1").arg(m_control.text(reply))};
    }
    FtpListingParser parser(mlsd ? FtpListingParser::Source::Mlsd : FtpListingParser::Source::List,
                            m_codec, today());
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    try {
        data.establish();
        for (;;) {
            const qint64 received =
                data.socket().receive(buffer.data(), buffer.size(), m_settings.timeoutMs, true);
            if (received == 0)
                break;
            if (!parser.feed(QByteArrayView(buffer.constData(), received))) {
                abortTransfer(data);
                throw FtpError{FtpErrorCode::ListingTooLong,
                               QStringLiteral("目录列表过长（超过 %1 项或 %2 MiB），已中止")
                                   .arg(FtpListingParser::MaxEntries)
                                   .arg(FtpListingParser::MaxBytes / (1024 * 1024))};
            }
        }
    } catch (const FtpStopRequest &) {
        abortTransfer(data);
        report(FtpEvent::TransferStopped, FtpCategory::Information,
               QStringLiteral("目录列表已被用户停止"));
        throw FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("操作已被用户停止")};
    } catch (const FtpError &error) {
        if (error.number != FtpErrorCode::TransferIncomplete)
            throw;
        failTransfer(data, error);
    }
    data.close();
    finishTransfer();
    parser.finish();
    if (uniques)
        *uniques = parser.takeUniques();
    return parser.takeListing();
}

FtpListing FtpEngine::list(const QString &path)
{
    FtpListing listing;
    guarded([&] {
        requireConnected();
        checkName(path);
        listing = listRaw(path.isEmpty() ? QByteArray() : encode(path));
        report(FtpEvent::ListingRead, FtpCategory::Information,
               QStringLiteral("目录列表读取完毕，共 %1 项").arg(listing.entries.size()),
               listing.entries.size(), listing.format);
    });
    return listing;
}

bool FtpEngine::directoryExists(const QByteArray &raw)
{
    if (m_currentDirectoryRaw.isEmpty())
        return false; // no way back after a look inside
    if (!enterRaw(raw))
        return false;
    if (!enterRaw(m_currentDirectoryRaw))
        throw FtpError{FtpErrorCode::BadReply,
                       QStringLiteral("无法回到目录 %1").arg(m_currentDirectory)};
    return true;
}

void FtpEngine::makeDirectory(const QString &path)
{
    // Code 25 reports the outcome, success or failure.
    guarded([&] {
        int replyCode = 0;
        try {
            requireConnected();
            checkName(path);
            if (path.isEmpty())
                throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("目录名为空")};
            const QByteArray raw = encode(path);
            m_control.send("MKD", raw);
            const FtpReply reply = m_control.readReply(0);
            replyCode = reply.code;
            const QString serverText = m_control.text(reply);
            if (reply.isPositive()) {
                report(FtpEvent::MakeDirectoryResult, FtpCategory::ServerReply, serverText, 0,
                       reply.code);
                return;
            }
            report(FtpEvent::ServerReply, FtpCategory::ServerReply, serverText, 0, reply.code);
            // The server's wording says little ("550 Create directory operation
            // failed."): look whether the name is there, as a folder or a file.
            bool exists = false;
            if (reply.code >= 500) {
                if (m_features.mlsd && m_control.command("MLST", raw).isPositive())
                    exists = true;
                else
                    exists = directoryExists(raw) || remoteSize(raw).has_value();
            }
            const QString outcome =
                exists ? QStringLiteral("无法创建目录：该名称已存在 (exists)")
                       : QStringLiteral("无法创建目录（服务器回复 %1）").arg(reply.code);
            report(FtpEvent::MakeDirectoryResult, FtpCategory::Failure, outcome, 0, reply.code);
            replyCode = -1; // reported
            throw FtpError{reply.code, serverText};
        } catch (const FtpError &error) {
            if (replyCode >= 0) {
                // Never the server's or the path's text here: it must not say
                // "exists" unless the name does.
                report(FtpEvent::MakeDirectoryResult, FtpCategory::Failure,
                       QStringLiteral("无法创建目录（错误 %1）").arg(error.number), 0, replyCode);
            }
            throw;
        }
    });
}

void FtpEngine::removeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkName(path);
        if (path.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("目录名为空")};
        const FtpReply reply = m_control.command("RMD", encode(path));
        if (!reply.isPositive())
            m_control.refuse(reply);
    });
}

void FtpEngine::deleteFile(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkName(path);
        if (path.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("文件名为空")};
        const FtpReply reply = m_control.command("DELE", encode(path));
        if (!reply.isPositive())
            m_control.refuse(reply);
    });
}

void FtpEngine::rename(const QString &from, const QString &to)
{
    guarded([&] {
        requireConnected();
        checkName(from);
        checkName(to);
        if (from.isEmpty() || to.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("名称为空")};
        const FtpReply first = m_control.command("RNFR", encode(from));
        if (first.code != 350)
            m_control.refuse(first);
        const FtpReply second = m_control.command("RNTO", encode(to));
        if (!second.isPositive())
            m_control.refuse(second);
    });
}

void FtpEngine::download(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkName(remote);
        if (remote.isEmpty() || local.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("文件名为空")};
        FtpFileTransfer(*this).download(encode(remote), local, offset,
                                        FtpEvent::DownloadFileProgress, -1);
    });
}

void FtpEngine::upload(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        requireConnected();
        checkName(remote);
        if (remote.isEmpty() || local.isEmpty())
            throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("文件名为空")};
        const bool resume = m_settings.uploadMode == FtpUploadMode::Resume;
        FtpFileTransfer(*this).upload(local, encode(remote), resume ? offset : 0,
                                      FtpEvent::UploadFileProgress);
    });
}

void FtpEngine::downloadTree(const QString &remotePattern, const QString &localFolder)
{
    guarded([&] {
        requireConnected();
        checkName(remotePattern);
        FtpTreeCopy(*this).download(FtpNameRules::splitRemotePattern(remotePattern), localFolder);
    });
}

void FtpEngine::uploadTree(const QString &localPattern, const QString &remoteFolder)
{
    guarded([&] {
        requireConnected();
        checkName(remoteFolder);
        FtpTreeCopy(*this).upload(FtpNameRules::splitLocalPattern(localPattern), remoteFolder);
    });
}
