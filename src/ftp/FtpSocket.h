#pragma once

#include "remote/RemoteText.h"

#include <QHostAddress>
#include <QString>

class RemoteInterrupt;
class FtpTlsContext;
struct ssl_st;

// A TCP connection (or a listening socket) of the worker thread. Every wait
// polls the socket together with the session's RemoteInterrupt, so a drop (and,
// in the waits of a transfer, a stop) ends it at once; every wait is bounded
// by the time-out it is given and throws RemoteError 11102 past it. A stop
// in a stoppable wait throws RemoteStopRequest: the transfer code catches
// it, aborts the transfer on the control connection and then throws 11101.
//
// Plain non-blocking POSIX sockets rather than QTcpSocket: the worker needs
// waits that another thread can interrupt, and transfers read straight into
// the caller's buffer without an extra copy through a socket buffer. TLS
// (OpenSSL) runs on the same socket and the same waits, so a stop, a drop
// and the time-out reach the handshake and encrypted transfers alike.
class FtpSocket
{
public:
    enum class Role
    {
        Control,
        Data
    };

    FtpSocket(RemoteInterrupt &interrupt, Role role);
    ~FtpSocket();
    FtpSocket(const FtpSocket &) = delete;
    FtpSocket &operator=(const FtpSocket &) = delete;

    // Throws RemoteError: 11111 (control) / 11115 (data) when the peer cannot be
    // reached, 11102 past the time-out, 11116 on a drop.
    void connectTo(const QHostAddress &address, quint16 port, int timeoutMs,
                   bool stoppable = false);
    // A listening socket on `address` and a free port (active mode).
    void listenOn(const QHostAddress &address);
    // Waits for a connection on `listener` from `expectedPeer`; connections
    // from any other address are closed and the wait goes on.
    void acceptFrom(FtpSocket &listener, const QHostAddress &expectedPeer, int timeoutMs,
                    bool stoppable);

    // TLS from here on, as the client (also on a data connection the server
    // opened): the handshake, bounded by `timeoutMs` as a whole. Throws
    // RemoteError 11121 (control) or 11124 (data) when it fails, 11102 past the
    // time-out, 11116 on a drop; the socket is closed then.
    void startTls(FtpTlsContext &tls, const QString &host, int timeoutMs, bool stoppable);

    // Up to `size` bytes; 0 at the end of the stream. Waits at most
    // `timeoutMs` for the first byte.
    qint64 receive(char *buffer, qint64 size, int timeoutMs, bool stoppable);
    void sendAll(const char *data, qint64 size, int timeoutMs, bool stoppable);
    void shutdownWrite();
    // Closes; an encrypted connection first says it is complete (TLS
    // close_notify), so the peer can tell the end of an upload from a cut.
    void closeGracefully(int timeoutMs);
    void close();

    bool isOpen() const { return m_fd >= 0; }
    bool isEncrypted() const { return m_ssl != nullptr; }
    // An encrypted stream whose end receive() gave came without TLS's
    // close_notify: the peer, or someone between, just closed it.
    bool cutShort() const { return m_cutShort; }
    // The OpenSSL connection while encrypted.
    ssl_st *tls() const { return m_ssl; }
    // Throws as a wait does for a drop (11116) or, when `stoppable`, a stop
    // (RemoteStopRequest) that was asked for; returns otherwise.
    void checkInterrupt(bool stoppable) const;
    QHostAddress peerAddress() const;
    QHostAddress localAddress() const;
    quint16 localPort() const;

private:
    void waitFor(short events, int timeoutMs, bool stoppable);
    [[noreturn]] void failWithErrno(const RemoteText &what, int error) const;
    qint64 receiveTls(char *buffer, qint64 size, int timeoutMs, bool stoppable);
    void sendAllTls(const char *data, qint64 size, int timeoutMs, bool stoppable);
    // After an OpenSSL call failed with `error` (SSL_get_error): waits for
    // what it wants, or throws.
    void waitForTls(int error, int failure, const RemoteText &what, int timeoutMs, bool stoppable);
    RemoteText transferFailure() const;
    int transferFailureNumber() const;

    RemoteInterrupt &m_interrupt;
    Role m_role;
    int m_fd = -1;
    ssl_st *m_ssl = nullptr;
    bool m_tlsEnded = false; // closeGracefully() ended TLS cleanly
    bool m_cutShort = false;
};
