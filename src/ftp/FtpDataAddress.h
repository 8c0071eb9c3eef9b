#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <optional>

// The parts of a PASV or EPSV reply, and the arguments of PORT and EPRT.
// Pure text handling, no sockets.
//
// The address inside a PASV reply is reported but never used to connect: the
// session connects to the control connection's peer, so a server cannot send
// the client's data connection to a third host.
struct FtpDataAddress
{
    QHostAddress address; // as the server named it (PASV only)
    quint16 port = 0;

    // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)." and the forms without
    // brackets; every number 0-255 and a port above 0.
    static std::optional<FtpDataAddress> fromPasvReply(QByteArrayView text);
    // "229 Entering Extended Passive Mode (|||port|)" with any delimiter;
    // a port from 1 to 65535.
    static std::optional<FtpDataAddress> fromEpsvReply(QByteArrayView text);

    // "h1,h2,h3,h4,p1,p2" for PORT; empty for a non-IPv4 address.
    static QByteArray portArgument(const QHostAddress &address, quint16 port);
    // "|1|127.0.0.1|port|" or "|2|::1|port|" for EPRT.
    static QByteArray eprtArgument(const QHostAddress &address, quint16 port);
};
