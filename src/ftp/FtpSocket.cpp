#include "ftp/FtpSocket.h"

#include "ftp/FtpErrors.h"
#include "ftp/FtpTlsContext.h"
#include "remote/RemoteInterrupt.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
};

SocketAddress toSocketAddress(const QHostAddress &address, quint16 port)
{
    SocketAddress result;
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4) {
        auto *in = reinterpret_cast<sockaddr_in *>(&result.storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(ipv4);
        result.length = sizeof(sockaddr_in);
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&result.storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, 16);
        bool numeric = false;
        const uint scope = address.scopeId().toUInt(&numeric);
        if (numeric)
            in6->sin6_scope_id = scope;
        result.length = sizeof(sockaddr_in6);
    }
    return result;
}

QHostAddress fromSocketAddress(const sockaddr_storage &storage, quint16 *port = nullptr)
{
    const auto *generic = reinterpret_cast<const sockaddr *>(&storage);
    QHostAddress address(generic);
    if (port)
        *port = storage.ss_family == AF_INET
                    ? ntohs(reinterpret_cast<const sockaddr_in *>(&storage)->sin_port)
                    : ntohs(reinterpret_cast<const sockaddr_in6 *>(&storage)->sin6_port);
    return address;
}

RemoteText reason(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return RemoteMessage::ConnectionRefused;
    case ENETUNREACH:
    case EHOSTUNREACH:
        return RemoteMessage::NetworkUnreachable;
    case ECONNRESET:
        return RemoteMessage::ConnectionReset;
    case EPIPE:
        return RemoteMessage::PeerClosed;
    case ETIMEDOUT:
        return RemoteMessage::SocketTimedOut;
    default:
        return RemoteText(RemoteMessage::NetworkError,
                          {QString::fromLocal8Bit(std::strerror(error))});
    }
}

int openSocket(int family)
{
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

} // namespace

FtpSocket::FtpSocket(RemoteInterrupt &interrupt, Role role) : m_interrupt(interrupt), m_role(role)
{}

FtpSocket::~FtpSocket()
{
    close();
}

void FtpSocket::close()
{
    if (m_ssl)
        FtpTlsContext::closing(m_ssl, m_tlsEnded);
    SSL_free(m_ssl);
    m_ssl = nullptr;
    m_tlsEnded = false;
    m_cutShort = false;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void FtpSocket::closeGracefully(int timeoutMs)
{
    if (!m_ssl) {
        close();
        return;
    }
    try {
        const QDeadlineTimer deadline(timeoutMs);
        const auto remaining = [&] { return int(qMax<qint64>(0, deadline.remainingTime())); };
        // close_notify; the peer's own is not waited for.
        for (int result = 0; (result = SSL_shutdown(m_ssl)) < 0;) {
            if (SSL_get_error(m_ssl, result) != SSL_ERROR_WANT_WRITE)
                break;
            waitFor(POLLOUT, remaining(), false);
        }
        ERR_clear_error();
        ::shutdown(m_fd, SHUT_WR);
        // Whatever the peer still sends is read until it closes: TLS 1.3
        // session tickets arrive on an upload's connection too, and they
        // are what the next data connection resumes; and bytes left unread
        // at close() make the kernel reset the connection, which loses what
        // the server has not yet read of the upload.
        char discarded[16 * 1024];
        for (;;) {
            size_t got = 0;
            ERR_clear_error();
            const int result = SSL_read_ex(m_ssl, discarded, sizeof discarded, &got);
            if (result == 1)
                continue;
            const int error = SSL_get_error(m_ssl, result);
            if (error == SSL_ERROR_WANT_READ)
                waitFor(POLLIN, remaining(), false);
            else if (error == SSL_ERROR_WANT_WRITE)
                waitFor(POLLOUT, remaining(), false);
            else
                break;
        }
        ERR_clear_error();
        m_tlsEnded = true;
    } catch (const RemoteError &) {
        close();
        throw;
    }
    close();
}

void FtpSocket::failWithErrno(const RemoteText &what, int error) const
{
    const int number = m_role == Role::Control ? RemoteErrorCode::ConnectionLost
                                               : RemoteErrorCode::TransferIncomplete;
    throw FtpErrors::own(number, RemoteText(RemoteMessage::WithReason, {what, reason(error)}));
}

void FtpSocket::checkInterrupt(bool stoppable) const
{
    if (m_interrupt.dropRequested())
        throw FtpErrors::own(RemoteErrorCode::ConnectionDropped, RemoteMessage::ConnectionDropped);
    if (stoppable && m_interrupt.stopRequested())
        throw RemoteStopRequest{};
}

void FtpSocket::waitFor(short events, int timeoutMs, bool stoppable)
{
    const QDeadlineTimer deadline(timeoutMs);
    const int wakeFd = m_interrupt.pollDescriptor();
    for (;;) {
        checkInterrupt(stoppable);
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0) {
            const RemoteMessage what = m_role == Role::Control ? RemoteMessage::ReplyTimedOut
                                                               : RemoteMessage::DataTimedOut;
            throw FtpErrors::own(RemoteErrorCode::TimedOut, RemoteText(what, {timeoutMs}));
        }
        pollfd fds[2] = {{m_fd, events, 0}, {wakeFd, POLLIN, 0}};
        // Without the wake pipe, look at the flags ten times a second.
        const int slice =
            wakeFd >= 0 ? int(qMin<qint64>(remaining, 1 << 30)) : int(qMin<qint64>(remaining, 100));
        const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, slice);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno(RemoteMessage::WaitFailed, errno);
        }
        if (wakeFd >= 0 && (fds[1].revents & POLLIN))
            m_interrupt.drain();
        if (fds[0].revents)
            return;
    }
}

void FtpSocket::connectTo(const QHostAddress &address, quint16 port, int timeoutMs, bool stoppable)
{
    close();
    const SocketAddress target = toSocketAddress(address, port);
    m_fd = openSocket(target.storage.ss_family);
    if (m_fd < 0)
        failWithErrno(RemoteMessage::CannotOpenSocket, errno);
    if (m_role == Role::Control) {
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    const RemoteText where(RemoteMessage::HostAndPort, {address.toString(), port});
    const int unreachable = m_role == Role::Control ? RemoteErrorCode::CannotConnect
                                                    : RemoteErrorCode::DataConnectionFailed;
    const RemoteMessage what =
        m_role == Role::Control ? RemoteMessage::CannotConnect : RemoteMessage::CannotOpenData;
    if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&target.storage), target.length) == 0)
        return;
    if (errno != EINPROGRESS) {
        const int error = errno;
        close();
        throw FtpErrors::own(unreachable, RemoteText(what, {where, reason(error)}));
    }
    try {
        waitFor(POLLOUT, timeoutMs, stoppable);
    } catch (RemoteError &error) {
        close();
        if (error.number == RemoteErrorCode::TimedOut)
            error.text = RemoteText(RemoteMessage::ConnectTimedOut, {where, timeoutMs});
        throw;
    } catch (const RemoteStopRequest &) {
        close();
        throw;
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
        close();
        throw FtpErrors::own(unreachable, RemoteText(what, {where, reason(error)}));
    }
}

void FtpSocket::listenOn(const QHostAddress &address)
{
    close();
    const SocketAddress local = toSocketAddress(address, 0);
    m_fd = openSocket(local.storage.ss_family);
    if (m_fd < 0 ||
        ::bind(m_fd, reinterpret_cast<const sockaddr *>(&local.storage), local.length) != 0 ||
        ::listen(m_fd, 4) != 0) {
        const int error = errno;
        close();
        throw FtpErrors::own(
            RemoteErrorCode::DataConnectionFailed,
            RemoteText(RemoteMessage::CannotListen, {address.toString(), reason(error)}));
    }
}

void FtpSocket::acceptFrom(FtpSocket &listener, const QHostAddress &expectedPeer, int timeoutMs,
                           bool stoppable)
{
    close();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        listener.waitFor(POLLIN, int(qMax<qint64>(1, deadline.remainingTime())), stoppable);
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(listener.m_fd, reinterpret_cast<sockaddr *>(&peer), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED)
                continue;
            throw FtpErrors::own(RemoteErrorCode::DataConnectionFailed,
                                 RemoteText(RemoteMessage::CannotAccept, {reason(errno)}));
        }
        if (fromSocketAddress(peer).isEqual(expectedPeer, QHostAddress::ConvertV4MappedToIPv4)) {
            m_fd = fd;
            return;
        }
        // Someone else than the server: not our data.
        ::close(fd);
    }
}

void FtpSocket::startTls(FtpTlsContext &tls, const QString &host, int timeoutMs, bool stoppable)
{
    const bool control = m_role == Role::Control;
    const int failure =
        control ? RemoteErrorCode::TlsHandshakeFailed : RemoteErrorCode::DataTlsFailed;
    const RemoteMessage what =
        control ? RemoteMessage::TlsHandshakeFailed : RemoteMessage::DataTlsHandshakeFailed;
    const QDeadlineTimer deadline(timeoutMs);
    try {
        m_ssl = tls.connection(m_fd, host, control);
        for (;;) {
            checkInterrupt(stoppable);
            ERR_clear_error();
            const int result = SSL_connect(m_ssl);
            if (result == 1)
                return;
            waitForTls(SSL_get_error(m_ssl, result), failure, what,
                       int(qMax<qint64>(0, deadline.remainingTime())), stoppable);
        }
    } catch (RemoteError &error) {
        close();
        if (error.number == RemoteErrorCode::TimedOut)
            error.text = RemoteText(RemoteMessage::TlsHandshakeTimedOut, {timeoutMs});
        else if (error.number == RemoteErrorCode::TlsHandshakeFailed)
            error.number = failure;
        throw;
    } catch (const RemoteStopRequest &) {
        close();
        throw;
    }
}

void FtpSocket::waitForTls(int error, int failure, const RemoteText &what, int timeoutMs,
                           bool stoppable)
{
    const int systemError = errno;
    RemoteText why;
    switch (error) {
    case SSL_ERROR_WANT_READ:
        waitFor(POLLIN, timeoutMs, stoppable);
        return;
    case SSL_ERROR_WANT_WRITE:
        waitFor(POLLOUT, timeoutMs, stoppable);
        return;
    case SSL_ERROR_SYSCALL:
        why = systemError != 0 ? reason(systemError) : RemoteText(RemoteMessage::PeerClosed);
        ERR_clear_error();
        break;
    case SSL_ERROR_ZERO_RETURN:
        why = RemoteMessage::PeerClosed;
        break;
    default:
        why = FtpTlsContext::lastError(RemoteMessage::TlsProtocolError);
        break;
    }
    throw FtpErrors::own(failure, RemoteText(RemoteMessage::WithReason, {what, why}));
}

RemoteText FtpSocket::transferFailure() const
{
    return m_role == Role::Control ? RemoteMessage::ControlBroken : RemoteMessage::DataBroken;
}

int FtpSocket::transferFailureNumber() const
{
    return m_role == Role::Control ? RemoteErrorCode::ConnectionLost
                                   : RemoteErrorCode::TransferIncomplete;
}

qint64 FtpSocket::receiveTls(char *buffer, qint64 size, int timeoutMs, bool stoppable)
{
    // As much as is there, up to `size`: a record is at most 16 KiB, and
    // one call per record would cost the caller a write per record.
    qint64 total = 0;
    for (;;) {
        checkInterrupt(stoppable);
        size_t got = 0;
        ERR_clear_error();
        const int result = SSL_read_ex(m_ssl, buffer + total, size_t(size - total), &got);
        if (result == 1) {
            total += qint64(got);
            if (total == size)
                return total;
            continue;
        }
        const int error = SSL_get_error(m_ssl, result);
        if (error == SSL_ERROR_ZERO_RETURN) {
            m_cutShort = !FtpTlsContext::saidCloseNotify(m_ssl);
            return total;
        }
        if (total > 0 && (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE))
            return total;
        waitForTls(error, transferFailureNumber(), transferFailure(), timeoutMs, stoppable);
    }
}

void FtpSocket::sendAllTls(const char *data, qint64 size, int timeoutMs, bool stoppable)
{
    while (size > 0) {
        checkInterrupt(stoppable);
        size_t written = 0;
        ERR_clear_error();
        const int result = SSL_write_ex(m_ssl, data, size_t(size), &written);
        if (result == 1) {
            data += written;
            size -= qint64(written);
            continue;
        }
        waitForTls(SSL_get_error(m_ssl, result), transferFailureNumber(), transferFailure(),
                   timeoutMs, stoppable);
    }
}

qint64 FtpSocket::receive(char *buffer, qint64 size, int timeoutMs, bool stoppable)
{
    if (m_ssl)
        return receiveTls(buffer, size, timeoutMs, stoppable);
    for (;;) {
        checkInterrupt(stoppable);
        const ssize_t n = ::recv(m_fd, buffer, size_t(size), 0);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            failWithErrno(transferFailure(), errno);
        waitFor(POLLIN, timeoutMs, stoppable);
    }
}

void FtpSocket::sendAll(const char *data, qint64 size, int timeoutMs, bool stoppable)
{
    if (m_ssl)
        return sendAllTls(data, size, timeoutMs, stoppable);
    while (size > 0) {
        checkInterrupt(stoppable);
        const ssize_t n = ::send(m_fd, data, size_t(size), MSG_NOSIGNAL);
        if (n >= 0) {
            data += n;
            size -= n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            failWithErrno(transferFailure(), errno);
        waitFor(POLLOUT, timeoutMs, stoppable);
    }
}

void FtpSocket::shutdownWrite()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_WR);
}

QHostAddress FtpSocket::peerAddress() const
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (m_fd < 0 || ::getpeername(m_fd, reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return {};
    return fromSocketAddress(storage);
}

QHostAddress FtpSocket::localAddress() const
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return {};
    return fromSocketAddress(storage);
}

quint16 FtpSocket::localPort() const
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    quint16 port = 0;
    if (m_fd >= 0 && ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&storage), &length) == 0)
        fromSocketAddress(storage, &port);
    return port;
}
