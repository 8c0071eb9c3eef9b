#include "ftp/FtpDataConnection.h"

#include "ftp/FtpContext.h"
#include "ftp/FtpDataAddress.h"
#include "ftp/FtpErrors.h"

namespace {

bool isIpv4(const QHostAddress &address)
{
    bool ipv4 = false;
    address.toIPv4Address(&ipv4);
    return ipv4;
}

} // namespace

FtpDataConnection::FtpDataConnection(FtpContext &context)
    : m_context(context), m_socket(context.interrupt(), FtpSocket::Role::Data),
      m_listener(context.interrupt(), FtpSocket::Role::Data)
{}

void FtpDataConnection::finish()
{
    m_socket.closeGracefully(m_context.settings().timeoutMs);
    m_listener.close();
}

void FtpDataConnection::close()
{
    m_socket.close();
    m_listener.close();
}

void FtpDataConnection::prepare()
{
    m_active = !m_context.settings().passive;
    if (m_active)
        prepareActive();
    else
        preparePassive();
}

bool FtpDataConnection::tryEpsv()
{
    FtpControlConnection &control = m_context.control();
    const FtpReply reply = control.command("EPSV");
    const auto address =
        reply.code == 229 ? FtpDataAddress::fromEpsvReply(reply.text()) : std::nullopt;
    if (!address) {
        m_context.features().epsvFailed = true;
        return false;
    }
    try {
        m_socket.connectTo(control.peerAddress(), address->port, m_context.settings().timeoutMs,
                           true);
        return true;
    } catch (const RemoteError &error) {
        // Nothing is outstanding on the control connection: PASV can follow.
        if (error.number != RemoteErrorCode::DataConnectionFailed &&
            error.number != RemoteErrorCode::TimedOut)
            throw;
        m_context.features().epsvFailed = true;
        m_context.note(RemoteActivityKind::DataConnection,
                       RemoteText(RemoteMessage::EpsvFallback, {error.said()}));
        return false;
    }
}

void FtpDataConnection::preparePassive()
{
    FtpControlConnection &control = m_context.control();
    const QHostAddress peer = control.peerAddress();
    const bool ipv4 = isIpv4(peer);
    if ((!m_context.features().epsvFailed || !ipv4) && tryEpsv())
        return;
    if (!ipv4)
        throw FtpErrors::own(RemoteErrorCode::DataConnectionFailed, RemoteMessage::NoIpv6Passive);
    const FtpReply reply = control.command("PASV");
    if (reply.code >= 400)
        control.refuse(reply);
    const auto address =
        reply.code == 227 ? FtpDataAddress::fromPasvReply(reply.text()) : std::nullopt;
    if (!address)
        throw FtpErrors::own(RemoteErrorCode::BadReply,
                             RemoteText(RemoteMessage::UnreadablePassive, {control.text(reply)}));
    if (!address->address.isEqual(peer, QHostAddress::ConvertV4MappedToIPv4))
        m_context.note(RemoteActivityKind::DataConnection,
                       RemoteText(RemoteMessage::PassiveAddressIgnored,
                                  {address->address.toString(), peer.toString()}));
    m_socket.connectTo(peer, address->port, m_context.settings().timeoutMs, true);
}

void FtpDataConnection::prepareActive()
{
    FtpControlConnection &control = m_context.control();
    const QHostAddress local = control.localAddress();
    m_listener.listenOn(local);
    const quint16 port = m_listener.localPort();
    if (!m_context.features().eprtFailed) {
        const FtpReply reply = control.command("EPRT", FtpDataAddress::eprtArgument(local, port));
        if (reply.isPositive())
            return;
        if (reply.code != 500 && reply.code != 501 && reply.code != 502 && reply.code != 522)
            control.refuse(reply);
        m_context.features().eprtFailed = true;
    }
    const QByteArray argument = FtpDataAddress::portArgument(local, port);
    if (argument.isEmpty())
        throw FtpErrors::own(RemoteErrorCode::DataConnectionFailed, RemoteMessage::NoIpv6Active);
    const FtpReply reply = control.command("PORT", argument);
    if (!reply.isPositive())
        control.refuse(reply);
}

void FtpDataConnection::establish()
{
    const int timeoutMs = m_context.settings().timeoutMs;
    if (m_active) {
        m_socket.acceptFrom(m_listener, m_context.control().peerAddress(), timeoutMs, true);
        m_listener.close();
    }
    if (!m_context.dataProtected())
        return;
    FtpTlsContext &tls = m_context.tls();
    m_socket.startTls(tls, QString(), timeoutMs, true);
    m_encrypted = true;
    m_resumed = FtpTlsContext::resumed(m_socket.tls());
    if (FtpTlsContext::fingerprint(m_socket.tls()) != tls.controlFingerprint()) {
        m_socket.close();
        throw FtpErrors::own(RemoteErrorCode::DataTlsFailed, RemoteMessage::DataCertificateDiffers);
    }
}
