#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// ConnectionState, as the FTP session numbers it.
namespace SftpState {
constexpr int Closed = 0;
constexpr int Connecting = 1; // from the start of open() until logged in with SFTP running
constexpr int Connected = 2;
} // namespace SftpState

// How names are turned into bytes for the whole connection.
enum class SftpNameEncoding
{
    Auto, // the first names the server shows that are not plain ASCII decide
    Utf8,
    Gbk, // GB18030, which reads GBK and GB2312
};

// Who logs in where, and with what.
struct SftpLogin
{
    QString host;
    int port = 22;
    QString user;
    // Used for "password" and for a keyboard-interactive log-in that asks
    // one hidden question; asked for (SftpEventSink) when empty and needed.
    QString password;
    // A private key file (OpenSSH or PEM; ed25519, ECDSA, RSA). Empty: none.
    QString keyFile;
    // The keys of the SSH agent, when SSH_AUTH_SOCK names one.
    bool useAgent = true;
};

class RateLimit;

// The settings of the operation in hand, copied from the session when it
// starts.
struct SftpSettings
{
    // Connect, and every wait for the server: nothing arriving for this long.
    int timeoutMs = 30000;
    SftpNameEncoding nameEncoding = SftpNameEncoding::Auto;
    // Empty: ~/.ssh/known_hosts. Read only: "always" is the caller's to keep.
    QString knownHostsFile;
    // Empty: the system's (/etc/ssh/ssh_known_hosts).
    QString globalKnownHostsFile;
    // "SHA256:..." fingerprints the caller trusts for this host and port
    // (the answers "always" it kept, a --trust option): accepted silently,
    // also where known_hosts holds another key.
    QStringList trustedHostKeys;
    // The ciphers to offer, in order ("aes128-ctr,aes256-gcm@openssh.com");
    // empty: libssh's choice.
    QString ciphers;
    // Reads and writes kept in flight during a transfer.
    int requestsInFlight = 64;
    // What file transfers draw from, shared with other sessions; null: no
    // limit.
    std::shared_ptr<RateLimit> downloadLimit;
    std::shared_ptr<RateLimit> uploadLimit;
};
