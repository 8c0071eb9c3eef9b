#pragma once

#include "ftp/FtpSocket.h"

class FtpContext;

// The data connection of one transfer or listing.
//
// Passive: EPSV first (its port on the control connection's peer); when the
// server refuses EPSV, answers it with numbers that cannot be read, or its
// port refuses the connection or never answers it within the time-out (a
// firewall that lets only PASV through), PASV, remembered for the rest of
// the session.
// The address inside a PASV reply is never used: the control connection's
// peer is. Active: a listening socket on the control connection's local
// address announced with EPRT, or PORT when EPRT is refused; only a
// connection from the control connection's peer is accepted.
//
// Where the session protects data (PROT P), the connection is encrypted
// once the server has answered the transfer command (servers start their
// side of the handshake then), resuming the control connection's TLS
// session, and it must show the control connection's certificate.
class FtpDataConnection
{
public:
    explicit FtpDataConnection(FtpContext &context);

    // Before the transfer command.
    void prepare();
    // After the transfer command's preliminary reply: in active mode, waits
    // for the server's connection; then TLS where data is protected.
    // Throws 11124 when the TLS handshake fails or the certificate is not
    // the control connection's.
    void establish();
    FtpSocket &socket() { return m_socket; }
    // Encrypted, and whether that resumed the control connection's session.
    bool encrypted() const { return m_encrypted; }
    bool resumed() const { return m_resumed; }
    // Closes; an encrypted connection says first that its data is complete.
    void finish();
    void close();

private:
    void preparePassive();
    void prepareActive();
    bool tryEpsv();

    FtpContext &m_context;
    FtpSocket m_socket;
    FtpSocket m_listener;
    bool m_active = false;
    bool m_encrypted = false;
    bool m_resumed = false;
};
