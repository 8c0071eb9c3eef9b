#pragma once

#include "remote/RemoteUrl.h"

#include <QString>
#include <QStringList>

// What one run of korvu-ftp was asked to do.
struct Invocation
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion
    };

    Action action = Action::Run;
    bool active = false; // EPRT/PORT instead of EPSV/PASV (FTP)
    int timeoutMs = 0;   // 0: the session's default
    int encoding = 0;    // RemoteNameEncoding
    int encryption = 0;  // RemoteEncryption: --tls, --tls-if-offered, ftps://
    // --trust: FTP, the certificate's SHA-256 as fingerprintDigits() writes
    // it; SFTP, the host key's "SHA256:..." as OpenSSH prints it.
    QString trust;
    bool insecure = false;
    QString keyFile; // --key: SFTP, a private key file to log in with
    bool resume = false;
    bool verify = true; // --no-verify turns it off
    bool quiet = false;
    RemoteUrl url;
    QString command;
    QStringList arguments;
};

// Reads the arguments after the program name:
//
//     [OPTIONS] URL COMMAND [ARGUMENTS]
//
// Options may stand anywhere before the command; everything after the
// command is its arguments, so file names that start with "-" need no
// escaping there ("--" also ends the options). Throws UsageError.
Invocation parseCommandLine(const QStringList &arguments);

// The text of --help.
QString usageText();

// A SHA-256 fingerprint as 64 upper-case hex digits, from "ab:cd:..." or
// "ABCD..."; empty when `text` is no such fingerprint.
QString fingerprintDigits(const QString &text);

// `text` when it is a host key's fingerprint as OpenSSH prints it ("SHA256:"
// and 43 characters of unpadded base64); empty otherwise.
QString sshFingerprint(const QString &text);
