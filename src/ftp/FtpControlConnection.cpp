#include "ftp/FtpControlConnection.h"

#include "ftp/FtpErrors.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteNameCodec.h"
#include "remote/RemoteNameRules.h"

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

FtpControlConnection::FtpControlConnection(RemoteInterrupt &interrupt, RemoteEventSink &sink)
    : m_sink(sink), m_socket(interrupt, FtpSocket::Role::Control)
{}

void FtpControlConnection::open(const QString &host, quint16 port, int timeoutMs)
{
    close();
    const QList<QHostAddress> addresses = resolve(host);
    if (addresses.isEmpty())
        throw FtpErrors::own(RemoteErrorCode::HostNotFound,
                             RemoteText(RemoteMessage::HostNotFound, {host}));
    RemoteError last;
    for (const QHostAddress &address : addresses) {
        m_sink.activity(RemoteActivity::note(
            RemoteActivityKind::Connecting,
            RemoteText(RemoteMessage::Connecting, {host, address.toString(), port})));
        try {
            m_socket.connectTo(address, port, timeoutMs, m_stoppable);
        } catch (const RemoteError &error) {
            if (error.number == RemoteErrorCode::ConnectionDropped)
                throw;
            last = error;
            continue;
        }
        m_peer = m_socket.peerAddress();
        m_sink.activity(
            RemoteActivity::note(RemoteActivityKind::Connected,
                                 RemoteText(RemoteMessage::Connected, {m_peer.toString(), port})));
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
        loseConnection(RemoteErrorCode::TlsHandshakeFailed, RemoteMessage::TlsExtraData);
    closedOnFailure([&] { m_socket.startTls(tls, host, m_timeoutMs, m_stoppable); });
}

void FtpControlConnection::loseConnection(int number, const RemoteText &text)
{
    close();
    throw FtpErrors::own(number, text);
}

void FtpControlConnection::send(const QByteArray &verb, const QByteArray &argument,
                                const QString &shown)
{
    // The last line of defence: callers check names before they start.
    if (RemoteNameRules::holdsLineBreak(argument))
        throw FtpErrors::own(RemoteErrorCode::InvalidName, RemoteMessage::NameHoldsLineBreak);
    if (!isOpen())
        throw FtpErrors::own(RemoteErrorCode::NotConnected, RemoteMessage::NotConnected);
    QByteArray line = verb;
    if (!argument.isEmpty())
        line += ' ' + argument;
    const QString decoded = m_codec ? m_codec->text(line) : RemoteNameCodec::decodeText(line);
    RemoteActivity sent;
    sent.kind = RemoteActivityKind::CommandSent;
    sent.reply = shown.isEmpty() ? decoded : shown;
    m_sink.activity(sent);
    line += "\r\n";
    closedOnFailure(
        [&] { m_socket.sendAll(line.constData(), line.size(), m_timeoutMs, m_stoppable); });
}

FtpReply FtpControlConnection::readReply()
{
    return readReply(true);
}

FtpReply FtpControlConnection::readReply(bool reported)
{
    if (!isOpen())
        throw FtpErrors::own(RemoteErrorCode::NotConnected, RemoteMessage::NotConnected);
    FtpReply reply;
    char buffer[16 * 1024];
    const QDeadlineTimer deadline(m_timeoutMs);
    for (;;) {
        const FtpReplyReader::Status status = m_reader.next(reply);
        if (status == FtpReplyReader::Status::Reply)
            break;
        if (status == FtpReplyReader::Status::Error) {
            if (m_reader.fault() == FtpReplyReader::Fault::NotAReply)
                loseConnection(RemoteErrorCode::BadReply, RemoteMessage::NotAReply);
            loseConnection(RemoteErrorCode::ReplyTooLong, RemoteMessage::ReplyTooLong);
        }
        qint64 received = 0;
        try {
            const qint64 left = deadline.remainingTime();
            if (left <= 0)
                throw FtpErrors::own(RemoteErrorCode::TimedOut, {});
            received = m_socket.receive(buffer, sizeof buffer, int(left), m_stoppable);
        } catch (RemoteError &error) {
            close();
            if (error.number == RemoteErrorCode::TimedOut)
                error.text = RemoteText(RemoteMessage::ReplyTimedOut, {m_timeoutMs});
            throw;
        } catch (const RemoteStopRequest &) {
            close();
            throw;
        }
        if (received == 0)
            loseConnection(RemoteErrorCode::ConnectionLost, RemoteMessage::ServerClosed);
        m_reader.feed(QByteArrayView(buffer, received));
    }
    if (reported) {
        RemoteActivity said;
        said.kind = RemoteActivityKind::ServerReply;
        said.reply = text(reply);
        said.replyCode = reply.code;
        m_sink.activity(said);
    }
    if (reply.code == 421) {
        close();
        throw FtpErrors::refusal(421, text(reply));
    }
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
    throw FtpErrors::refusal(reply.code, text(reply));
}
