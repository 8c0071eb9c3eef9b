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
class FtpDataConnection
{
public:
    explicit FtpDataConnection(FtpContext &context);

    // Before the transfer command.
    void prepare();
    // After the transfer command's preliminary reply: in active mode, waits
    // for the server's connection.
    void establish();
    FtpSocket &socket() { return m_socket; }
    void close();

private:
    void preparePassive();
    void prepareActive();
    bool tryEpsv();

    FtpContext &m_context;
    FtpSocket m_socket;
    FtpSocket m_listener;
    bool m_active = false;
};
