#pragma once

#include <QHostAddress>
#include <QString>

class FtpInterrupt;

// Thrown by a stoppable wait when StopTransfer was called: the transfer code
// catches it, aborts the transfer on the control connection and then throws
// FtpError 11101.
struct FtpStopRequest
{
};

// A TCP connection (or a listening socket) of the worker thread. Every wait
// polls the socket together with the session's FtpInterrupt, so a drop (and,
// in the waits of a transfer, a stop) ends it at once; every wait is bounded
// by the time-out it is given and throws FtpError 11102 past it.
//
// Plain non-blocking POSIX sockets rather than QTcpSocket: the worker needs
// waits that another thread can interrupt, and transfers read straight into
// the caller's buffer without an extra copy through a socket buffer.
class FtpSocket
{
public:
    enum class Role
    {
        Control,
        Data
    };

    FtpSocket(FtpInterrupt &interrupt, Role role);
    ~FtpSocket();
    FtpSocket(const FtpSocket &) = delete;
    FtpSocket &operator=(const FtpSocket &) = delete;

    // Throws FtpError: 11111 (control) / 11115 (data) when the peer cannot be
    // reached, 11102 past the time-out, 11116 on a drop.
    void connectTo(const QHostAddress &address, quint16 port, int timeoutMs,
                   bool stoppable = false);
    // A listening socket on `address` and a free port (active mode).
    void listenOn(const QHostAddress &address);
    // Waits for a connection on `listener` from `expectedPeer`; connections
    // from any other address are closed and the wait goes on.
    void acceptFrom(FtpSocket &listener, const QHostAddress &expectedPeer, int timeoutMs,
                    bool stoppable);

    // Up to `size` bytes; 0 at the end of the stream. Waits at most
    // `timeoutMs` for the first byte.
    qint64 receive(char *buffer, qint64 size, int timeoutMs, bool stoppable);
    void sendAll(const char *data, qint64 size, int timeoutMs, bool stoppable);
    void shutdownWrite();
    void close();

    bool isOpen() const { return m_fd >= 0; }
    QHostAddress peerAddress() const;
    QHostAddress localAddress() const;
    quint16 localPort() const;

private:
    void waitFor(short events, int timeoutMs, bool stoppable);
    void checkInterrupt(bool stoppable) const;
    [[noreturn]] void failWithErrno(const QString &what, int error) const;

    FtpInterrupt &m_interrupt;
    Role m_role;
    int m_fd = -1;
};
