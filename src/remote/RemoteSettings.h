#pragma once

#include "remote/RateLimit.h"

#include <QString>
#include <QStringList>

// The protocols a session speaks. FTPS is FTP with RemoteSettings::encryption;
// each engine adds its own.
enum class RemoteProtocol
{
    Ftp,
    Sftp, // SFTP (version 3) over SSH
};

// The settings of the operation in hand, copied from the session's
// properties when it starts (see RemoteSession for each).
struct RemoteSettings
{
    int timeoutMs = 30000;
    bool passive = true;
    int uploadMode = 0;      // RemoteUploadMode
    int transferSetting = 0; // RemoteTransferSetting
    int nameEncoding = 0;    // RemoteNameEncoding; read by the log-in only
    int encryption = 0;      // RemoteEncryption (FTP); read by the log-in only
    QString keyFile;         // SFTP: a private key file to log in with; empty: none
    // SFTP: the "SHA256:..." fingerprints the user trusts for the host and
    // port connected to (earlier answers "always").
    QStringList trustedHostKeys;
    // Compare each file transferred whole with the server's hash of it,
    // where the server offers one.
    bool verifyTransfers = true;
    // What file transfers draw from (never listings); shared with the other
    // sessions the program runs, so that a limit holds for all together.
    RemoteRateLimits rateLimits;
};

// Who logs in where, as OpenConnection takes it.
struct RemoteLogin
{
    QString host;
    QString user;
    QString password;
    QString account; // FTP's ACCT, when the server asks for one
    int port = 0;
};
