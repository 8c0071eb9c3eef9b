#include "ftp/FtpDataConnection.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"
#include "ftp/FtpDataAddress.h"
#include "ftp/FtpError.h"

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
    } catch (const FtpError &error) {
        // Nothing is outstanding on the control connection: PASV can follow.
        if (error.number != FtpErrorCode::DataConnectionFailed &&
            error.number != FtpErrorCode::TimedOut)
            throw;
        m_context.features().epsvFailed = true;
        m_context.report(
            FtpEvent::DataConnection, FtpCategory::Information,
            QStringLiteral("EPSV 给出的端口无法连接（%1），改用 PASV").arg(error.description));
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
        throw FtpError{FtpErrorCode::DataConnectionFailed,
                       QStringLiteral("服务器不支持 IPv6 的被动模式（EPSV）")};
    const FtpReply reply = control.command("PASV");
    if (reply.code >= 400)
        control.refuse(reply);
    const auto address =
        reply.code == 227 ? FtpDataAddress::fromPasvReply(reply.text()) : std::nullopt;
    if (!address)
        throw FtpError{FtpErrorCode::BadReply,
                       QStringLiteral("无法识别服务器的被动模式回复：%1").arg(control.text(reply))};
    if (!address->address.isEqual(peer, QHostAddress::ConvertV4MappedToIPv4))
        m_context.report(FtpEvent::DataConnection, FtpCategory::Information,
                         QStringLiteral("被动模式回复中的地址 %1 已忽略，改用控制连接的地址 %2")
                             .arg(address->address.toString(), peer.toString()));
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
        throw FtpError{FtpErrorCode::DataConnectionFailed,
                       QStringLiteral("服务器不支持 IPv6 的主动模式（EPRT）")};
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
        throw FtpError{FtpErrorCode::DataTlsFailed,
                       QStringLiteral("数据连接出示的证书与控制连接的不同（可能来自另一台主机），"
                                      "已拒绝")};
    }
}
