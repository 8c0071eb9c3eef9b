#pragma once

#include "sftp/SftpEventSink.h"

#include <QString>
#include <QStringList>
#include <libssh/libssh.h>

class SftpTransport;
struct SftpLogin;

// Logs in with what the site gives and the server accepts, in this order:
// the key file, the agent's keys, the password, keyboard-interactive, and
// last a password asked for. Runs after the host key was accepted, so no
// secret reaches a server the user did not accept. Partial success (a
// server that wants two methods) goes on with the rest.
class SftpAuthenticator
{
public:
    SftpAuthenticator(SftpTransport &transport, SftpEventSink &sink, const SftpLogin &login);

    // Returns the method that let us in. Throws SftpError
    // AuthenticationFailed (subject: the methods tried), LocalFileError (a
    // key file that cannot be read), and what the waits throw.
    QString logIn();

private:
    enum class Outcome
    {
        Success,
        Partial,
        Denied,
        Skipped
    };

    Outcome tryKeyFile();
    Outcome tryAgent();
    Outcome tryPassword(bool ask);
    Outcome tryInteractive();
    Outcome judge(int result, const QString &method, const QString &subject = {});
    void announce(const QString &method, const QString &subject = {});
    ssh_key importKey();
    int allowedMethods();
    QString account() const;
    SftpInteractivePrompt interactivePrompt() const;

    SftpTransport &m_transport;
    SftpEventSink &m_sink;
    const SftpLogin &m_login;
    QStringList m_tried;
    bool m_passwordUsed = false;
};
