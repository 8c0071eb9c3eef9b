#include "sftp/SftpTcp.h"

#include "remote/RemoteInterrupt.h"
#include "sftp/SftpError.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString describe(const sockaddr *address, socklen_t length, int port)
{
    char text[NI_MAXHOST] = {};
    if (::getnameinfo(address, length, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0)
        return QStringLiteral("? port %1").arg(port);
    return QStringLiteral("%1 port %2").arg(QString::fromLatin1(text)).arg(port);
}

struct AddressList
{
    addrinfo *head = nullptr;
    ~AddressList() { ::freeaddrinfo(head); }
};

// Connects one address; -1 with `error` set when it cannot be reached.
int connectOne(const addrinfo &address, const QDeadlineTimer &deadline, RemoteInterrupt &interrupt,
               int &error)
{
    const int fd = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        error = errno;
        ::close(fd);
        return -1;
    }
    try {
        while (SftpTcp::wait(fd, POLLOUT, deadline, interrupt, true) == 0) {
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int SftpTcp::connect(const QString &host, int port, int timeoutMs, RemoteInterrupt &interrupt,
                     const std::function<void(const QString &)> &connecting)
{
    QString name = host.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    AddressList addresses;
    const QByteArray service = QByteArray::number(port);
    if (::getaddrinfo(name.toUtf8().constData(), service.constData(), &hints, &addresses.head) !=
            0 ||
        !addresses.head)
        throw SftpError{SftpErrorKind::HostNotFound, -1, {}, host, {}};
    const QDeadlineTimer deadline(timeoutMs);
    int error = 0;
    QString last;
    for (const addrinfo *address = addresses.head; address; address = address->ai_next) {
        last = describe(address->ai_addr, address->ai_addrlen, port);
        connecting(last);
        const int fd = connectOne(*address, deadline, interrupt, error);
        if (fd >= 0)
            return fd;
    }
    throw SftpError{
        SftpErrorKind::CannotConnect, -1, {}, last, QString::fromLocal8Bit(std::strerror(error))};
}

void SftpTcp::check(const QDeadlineTimer &deadline, RemoteInterrupt &interrupt, bool stoppable)
{
    if (interrupt.dropRequested())
        throw SftpError{SftpErrorKind::Dropped, -1, {}, {}, {}};
    if (stoppable && interrupt.stopRequested())
        throw SftpStopRequest{};
    if (deadline.hasExpired())
        throw SftpError{SftpErrorKind::TimedOut, -1, {}, {}, {}};
}

short SftpTcp::wait(int fd, short events, const QDeadlineTimer &deadline,
                    RemoteInterrupt &interrupt, bool stoppable)
{
    check(deadline, interrupt, stoppable);
    const qint64 remaining = deadline.remainingTime();
    const int wakeFd = interrupt.pollDescriptor();
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    // Without the wake pipe, look at the flags ten times a second.
    const qint64 cap = wakeFd >= 0 ? qint64(1) << 30 : 100;
    const int slice = int(remaining < 0 ? cap : qMin(remaining, cap));
    const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, slice);
    if (ready < 0)
        return 0; // EINTR: the caller looks again
    if (wakeFd >= 0 && (fds[1].revents & POLLIN))
        interrupt.drain();
    return fds[0].revents;
}
