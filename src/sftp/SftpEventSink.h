#pragma once

#include "sftp/SftpHostKey.h"

#include <QString>
#include <QStringList>
#include <optional>

// What happened, for the session log and the progress display. The texts
// are made above the engine from the kind and its fields (SftpToRemote).
enum class SftpActivity
{
    Connecting,            // subject: host; detail: address and port
    Connected,             // detail: address and port
    ServerBanner,          // detail: the server's SSH banner
    Encryption,            // detail: key exchange, cipher and MAC
    HostKeyAccepted,       // detail: type and fingerprint; count: SftpHostKeyState
    AuthenticationTry,     // detail: the method ("publickey", "password", ...); subject: key file
    AuthenticationRefused, // detail: the method; subject: key file
    LoggedIn,              // subject: user@host; detail: the method that worked
    SftpStarted,           // count: the protocol version; detail: the server's extensions
    EntrySkipped,          // subject: the raw name shown; a name that cannot be a file name
    ListingRead,           // subject: the folder; count: entries
    FileTransferred,       // subject: the remote path; detail: the local path; count: bytes
    TransferStopped,       // subject: the remote path; count: bytes moved before the stop
    DownloadProgress,      // count: bytes so far (past the offset); total: expected, -1 unknown
    UploadProgress,        // the same for an upload
    ConnectionClosed,
};

struct SftpEvent
{
    SftpActivity kind = SftpActivity::Connecting;
    QString subject;
    QString detail;
    qint64 count = 0;
    qint64 total = -1;
};

// One question of a keyboard-interactive log-in: the server's texts, and
// for each prompt whether the answer may be shown while typed.
struct SftpInteractivePrompt
{
    QString name;
    QString instruction;
    QStringList prompts;
    QList<bool> echo;
};

// What a secret question asks for.
enum class SftpSecret
{
    Password,   // subject: user@host
    Passphrase, // subject: the key file
};

// Where the engine, running on the session's worker thread, sends what the
// caller should hear, and how it asks. The questions wait for the answer
// (the user takes the time he needs: no time-out applies); a stop or a drop
// meanwhile ends the wait by throwing SftpStopRequest or SftpError Dropped.
class SftpEventSink
{
public:
    virtual ~SftpEventSink() = default;
    virtual void activity(const SftpEvent &event) = 0;
    // SftpState (SftpSettings.h).
    virtual void stateChanged(int state) = 0;
    // A host key that is unknown or changed. Nothing secret has been sent yet.
    virtual SftpTrust hostKeyQuestion(const SftpHostKey &key) = 0;
    // A password or a key's passphrase; nothing when the user declines.
    // `again`: the last answer was wrong.
    virtual std::optional<QString> secretQuestion(SftpSecret secret, const QString &subject,
                                                  bool again) = 0;
    // The answers in the order of the prompts; nothing when the user declines.
    virtual std::optional<QStringList> interactiveQuestion(const SftpInteractivePrompt &prompt) = 0;
};
