#pragma once

#include <QString>

class FtpContext;

// The encryption of one connection, as FtpEngine opens it (RemoteEncryption):
//
//     implicit   connect, TLS, greeting, USER/PASS, PBSZ 0, PROT P
//     explicit   connect, greeting, AUTH TLS, TLS, USER/PASS, PBSZ 0, PROT P
//
// The certificate is judged right after the handshake, before the user name
// and password go out: one the system's trust store and the host name vouch
// for is taken; any other is put to the caller, whose refusal ends the
// connection (11122). "ExplicitIfOffered" goes on in plain FTP when the
// server refuses AUTH TLS, and with unencrypted data connections when it
// refuses PBSZ or PROT P; "ExplicitRequired" and "Implicit" end the
// connection then (11123). Once TLS is up it is never given up.
class FtpSecurity
{
public:
    FtpSecurity(FtpContext &context, const QString &host, int port);

    // Right after connecting, before the greeting: TLS when implicit.
    void beforeGreeting();
    // After the greeting: AUTH TLS in the explicit modes.
    void beforeLogin();
    // After log-in: data connections encrypted too, where the control
    // connection is.
    void afterLogin();

private:
    void handshake();
    bool required() const;

    FtpContext &m_context;
    QString m_host;
    int m_port;
    int m_mode;
};
