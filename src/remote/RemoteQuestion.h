#pragma once

#include "remote/RemoteText.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// Why a server certificate could not be verified.
enum class RemoteCertificateProblem
{
    NoCertificate,   // the server showed none
    SelfSigned,      // the certificate signs itself
    SelfSignedChain, // the chain ends in a root the system does not trust
    UntrustedIssuer, // its issuer is not one the system trusts
    Expired,
    NotYetValid,
    WrongHost, // it is not the certificate of the host connected to
    Other,     // `problemWords` holds the TLS library's words
};

// A server certificate that could not be verified.
struct RemoteCertificate
{
    // Where the session connects: the host as given to OpenConnection and
    // the port. A caller that remembers its answer does so for both.
    QString host;
    int port = 0;
    // Distinguished names, most significant part last ("CN=ftp.example,O=...").
    QString subject;
    QString issuer;
    QDateTime validFrom; // UTC
    QDateTime validUntil;
    // SHA-256 of the certificate (DER), upper-case hex pairs joined by ":".
    QString fingerprint;
    RemoteCertificateProblem problem = RemoteCertificateProblem::Other;
    QString problemWords;
};

// How a server's host key compares with what the user trusts.
enum class RemoteHostKeyState
{
    Unknown, // no one knows this host yet
    Changed, // known_hosts holds another key for it: possibly an attack
};

// The message that says why `certificate` could not be verified.
inline RemoteText problemText(const RemoteCertificate &certificate)
{
    switch (certificate.problem) {
    case RemoteCertificateProblem::NoCertificate:
        return RemoteMessage::NoCertificate;
    case RemoteCertificateProblem::SelfSigned:
        return RemoteMessage::SelfSigned;
    case RemoteCertificateProblem::SelfSignedChain:
        return RemoteMessage::SelfSignedChain;
    case RemoteCertificateProblem::UntrustedIssuer:
        return RemoteMessage::UntrustedIssuer;
    case RemoteCertificateProblem::Expired:
        return RemoteMessage::CertificateExpired;
    case RemoteCertificateProblem::NotYetValid:
        return RemoteMessage::CertificateNotYetValid;
    case RemoteCertificateProblem::WrongHost:
        return RemoteMessage::CertificateWrongHost;
    case RemoteCertificateProblem::Other:
        break;
    }
    return RemoteText(RemoteMessage::CertificateUnverified, {certificate.problemWords});
}

// An SSH server's host key that is not yet trusted.
struct RemoteHostKey
{
    QString host;
    int port = 22;
    // As OpenSSH names key types in its questions: "ED25519", "ECDSA", "RSA".
    QString type;
    // "SHA256:" and the unpadded base64 of the key's SHA-256, as OpenSSH prints it.
    QString fingerprint;
    RemoteHostKeyState state = RemoteHostKeyState::Unknown;
    // Changed: the fingerprint known_hosts holds for this host.
    QString knownFingerprint;
};

// A password or a key's passphrase the log-in needs.
struct RemoteSecretPrompt
{
    enum class Secret
    {
        Password,   // subject: user@host
        Passphrase, // subject: the key file
    };
    Secret secret = Secret::Password;
    QString subject;
    bool again = false; // the last answer was wrong
};

// The questions of a keyboard-interactive log-in, with whether each answer
// may be shown while typed.
struct RemoteInteractivePrompt
{
    QString name;
    QString instruction;
    QStringList prompts;
    QList<bool> echo;
};

// What a session asks its caller while it connects; the caller's answer is
// a RemoteAnswer.
using RemoteQuestion =
    std::variant<RemoteCertificate, RemoteHostKey, RemoteSecretPrompt, RemoteInteractivePrompt>;

struct RemoteAnswer
{
    // Certificates and host keys: RemoteTrust (RemoteCodes.h).
    int trust = 0;
    // Secrets: one text; keyboard-interactive: one per prompt.
    QStringList texts;
    // The user declined to answer (a secret or a keyboard-interactive question).
    bool declined = true;
};
