#pragma once

#include <QString>

// How the host key a server showed compares with what the user trusts.
enum class SftpHostKeyState
{
    Known,   // in ~/.ssh/known_hosts (or the global file) for this host and port
    Trusted, // among the fingerprints the caller trusts for this host and port
    Unknown, // neither knows the host
    Changed, // known_hosts holds another key for this host: possibly an attack
};

// The server's host key as the engine puts it to the caller.
struct SftpHostKey
{
    // Where the session connects: the host as given and the port. A caller
    // that remembers its answer ("always") does so for both.
    QString host;
    int port = 22;
    // As OpenSSH names key types in its questions: "ED25519", "ECDSA", "RSA".
    QString type;
    // The key's algorithm as sent: "ssh-ed25519", "ecdsa-sha2-nistp256", ...
    QString algorithm;
    // "SHA256:" and the unpadded base64 of the key's SHA-256, as OpenSSH prints it.
    QString fingerprint;
    SftpHostKeyState state = SftpHostKeyState::Unknown;
    // Changed: the fingerprint known_hosts holds for this host.
    QString knownFingerprint;
};

// The caller's answer to a host key that is unknown or changed.
enum class SftpTrust
{
    Refuse, // the connection ends with HostKeyRefused
    Once,   // accepted for this connection
    Always, // accepted; the caller remembers it for this host and port
};
