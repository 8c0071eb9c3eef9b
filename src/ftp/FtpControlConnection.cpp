#include "ftp/FtpControlConnection.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpError.h"
#include "ftp/FtpEventSink.h"
#include "ftp/FtpNameRules.h"
#include "remote/RemoteNameCodec.h"

#include <QDeadlineTimer>
#include <QHostInfo>

namespace {

QList<QHostAddress> resolve(const QString &host)
{
    QString literal = host;
    if (literal.startsWith(QLatin1Char('[')) && literal.endsWith(QLatin1Char(']')))
        literal = literal.mid(1, literal.size() - 2);
    QHostAddress address;
    if (address.setAddress(literal))
        return {address};
    return QHostInfo::fromName(host).addresses();
}

} // namespace

FtpControlConnection::FtpControlConnection(RemoteInterrupt &interrupt, FtpEventSink &sink)
    : m_sink(sink), m_socket(interrupt, FtpSocket::Role::Control)
{}

void FtpControlConnection::open(const QString &host, quint16 port, int timeoutMs)
{
    close();
    const QList<QHostAddress> addresses = resolve(host);
    if (addresses.isEmpty())
        throw FtpError{FtpErrorCode::HostNotFound, QStringLiteral("找不到主机 %1").arg(host)};
    FtpError last;
    for (const QHostAddress &address : addresses) {
        m_sink.activity(FtpEvent::Connecting, FtpCategory::Information,
                        QStringLiteral("正在连接 %1 (%2 端口 %3) ...\r\n")
                            .arg(host, address.toString())
                            .arg(port),
                        0, {});
        try {
            m_socket.connectTo(address, port, timeoutMs, m_stoppable);
        } catch (const FtpError &error) {
            if (error.number == FtpErrorCode::ConnectionDropped)
                throw;
            last = error;
            continue;
        }
        m_peer = m_socket.peerAddress();
        m_sink.activity(FtpEvent::Connected, FtpCategory::Information,
                        QStringLiteral("已连接到 %1 端口 %2\r\n").arg(m_peer.toString()).arg(port),
                        0, {});
        return;
    }
    throw last;
}

void FtpControlConnection::close()
{
    m_socket.close();
    m_reader.reset();
}

void FtpControlConnection::startTls(FtpTlsContext &tls, const QString &host)
{
    if (m_reader.pending() > 0)
        loseConnection(FtpErrorCode::TlsHandshakeFailed,
                       QStringLiteral("服务器在开始 TLS 之前多发了数据，连接已关闭"));
    closedOnFailure([&] { m_socket.startTls(tls, host, m_timeoutMs, m_stoppable); });
}

void FtpControlConnection::loseConnection(int number, const QString &description)
{
    close();
    throw FtpError{number, description};
}

void FtpControlConnection::send(const QByteArray &verb, const QByteArray &argument,
                                const QString &shown)
{
    // The last line of defence: callers check names before they start.
    if (FtpNameRules::holdsLineBreak(argument))
        throw FtpError{FtpErrorCode::InvalidName,
                       QStringLiteral("名称中含有回车、换行或空字符，未发送给服务器")};
    if (!isOpen())
        throw FtpError{FtpErrorCode::NotConnected, QStringLiteral("尚未连接到服务器")};
    QByteArray line = verb;
    if (!argument.isEmpty())
        line += ' ' + argument;
    const QString decoded = m_codec ? m_codec->text(line) : RemoteNameCodec::decodeText(line);
    m_sink.activity(FtpEvent::CommandSent, FtpCategory::Information,
                    (shown.isEmpty() ? decoded : shown) + QStringLiteral("\r\n"), 0, {});
    line += "\r\n";
    closedOnFailure(
        [&] { m_socket.sendAll(line.constData(), line.size(), m_timeoutMs, m_stoppable); });
}

FtpReply FtpControlConnection::readReply()
{
    return readReply(FtpEvent::ServerReply);
}

FtpReply FtpControlConnection::readReply(int eventCode)
{
    if (!isOpen())
        throw FtpError{FtpErrorCode::NotConnected, QStringLiteral("尚未连接到服务器")};
    FtpReply reply;
    char buffer[16 * 1024];
    const QDeadlineTimer deadline(m_timeoutMs);
    for (;;) {
        const FtpReplyReader::Status status = m_reader.next(reply);
        if (status == FtpReplyReader::Status::Reply)
            break;
        if (status == FtpReplyReader::Status::Error) {
            if (m_reader.fault() == FtpReplyReader::Fault::NotAReply)
                loseConnection(FtpErrorCode::BadReply,
                               QStringLiteral("服务器发来的不是 FTP 回复，连接已关闭"));
            loseConnection(
                FtpErrorCode::ReplyTooLong,
                QStringLiteral("服务器的回复过长（单行超过 16 KiB 或超过 4096 行），连接已关闭"));
        }
        qint64 received = 0;
        try {
            const qint64 left = deadline.remainingTime();
            if (left <= 0)
                throw FtpError{FtpErrorCode::TimedOut, QString()};
            received = m_socket.receive(buffer, sizeof buffer, int(left), m_stoppable);
        } catch (FtpError &error) {
            close();
            if (error.number == FtpErrorCode::TimedOut)
                error.description =
                    QStringLiteral("等待服务器响应超时（%1 毫秒）").arg(m_timeoutMs);
            throw;
        } catch (const FtpStopRequest &) {
            close();
            throw;
        }
        if (received == 0)
            loseConnection(FtpErrorCode::ConnectionLost, QStringLiteral("服务器关闭了连接"));
        m_reader.feed(QByteArrayView(buffer, received));
    }
    if (eventCode != 0)
        m_sink.activity(eventCode, FtpCategory::ServerReply, text(reply) + QStringLiteral("\r\n"),
                        0, reply.code);
    if (reply.code == 421)
        loseConnection(421, text(reply));
    return reply;
}

FtpReply FtpControlConnection::command(const QByteArray &verb, const QByteArray &argument,
                                       const QString &shown)
{
    send(verb, argument, shown);
    return readReply();
}

QString FtpControlConnection::text(const FtpReply &reply) const
{
    const QByteArray bytes = reply.text();
    return m_codec ? m_codec->text(bytes) : RemoteNameCodec::decodeText(bytes);
}

void FtpControlConnection::refuse(const FtpReply &reply) const
{
    throw FtpError{reply.code, text(reply)};
}
