#pragma once

#include "ftp/FtpCertificate.h"
#include "ftp/FtpCodes.h"
#include "ftp/FtpError.h"
#include "ftp/FtpListing.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class FtpEngine;
class RemoteInterrupt;
class QEventLoop;
class QSemaphore;
class QThread;

// An FTP client session.
//
// Operations are synchronous for the caller and throw FtpError on failure,
// while the protocol runs in the session's worker thread (one for the
// session's whole life, started with its first operation): the calling
// thread waits in a nested event loop, so ActivityEvent and
// StateChangedEvent arrive on the caller's thread during the call, the user
// interface repaints, and StopTransfer or DropConnection issued meanwhile
// (from an event handler, a button) take effect. A call over within a few
// milliseconds is waited for without the loop (though not for longer than
// 50 ms in a row); its events then arrive, in order, before it returns. An
// operation started while another one runs throws 11105 (busy) instead of
// disturbing it. Call the session from the thread it lives in, and do not
// delete it from inside one of its own calls.
//
// Paths may be absolute or relative to the server's current directory; names
// shown by ListDirectory are sent back byte for byte, and every name goes to
// the server in the connection's one encoding (NameEncoding). Every number
// and event code is documented in FtpCodes.h.
class FtpSession : public QObject
{
    Q_OBJECT
public:
    explicit FtpSession(QObject *parent = nullptr);
    ~FtpSession() override;

    // 0 overwrite (STOR), 2 resume from the offset (REST + STOR, or APPE);
    // any other value is taken as 0.
    int UploadMode() const;
    void setUploadMode(int mode);
    // Connect and every wait for a reply or for data; 30 000 by default, and
    // values of 0 or less select that default.
    int TimeoutMs() const;
    void setTimeoutMs(int ms);
    // 0 binary (TYPE I); 1 ASCII (TYPE A) for the following transfers.
    int TransferSetting() const;
    void setTransferSetting(int value);
    // EPSV/PASV when on (the default), EPRT/PORT when off.
    bool PassiveMode() const;
    void setPassiveMode(bool on);
    // FtpNameEncoding: 0 decide from the server (the default), 1 UTF-8,
    // 2 GBK (GB18030); any other value is taken as 0. Read by
    // OpenConnection and kept for that connection.
    int NameEncoding() const;
    void setNameEncoding(int encoding);
    // FtpEncryption: 0 plain FTP (the default), 1 TLS when the server
    // offers it (AUTH TLS), 2 TLS or no connection, 3 implicit TLS (from the
    // first byte). Any other value is taken as 0. Read by OpenConnection and
    // kept for that connection.
    int Encryption() const;
    void setEncryption(int encryption);
    // Logged in over TLS with encrypted data connections.
    bool IsEncrypted() const;
    // Asked, on the caller's thread during OpenConnection, about a server
    // certificate that the system's trust store or the host name does not
    // vouch for; answers FtpTrust (refuse, once, always). The connection
    // waits for the answer without a time-out (a stop or a drop ends the
    // call meanwhile; the answer is then not used). "Always" is the
    // caller's to remember: the session asks again on every connection.
    // Without a question set, such certificates are refused (11122).
    using CertificateQuestion = std::function<int(const FtpCertificate &certificate)>;
    void setCertificateQuestion(CertificateQuestion question);
    bool IsBusy() const;
    // FtpState: 0 closed, 1 connecting, 2 connected and logged in.
    int ConnectionState() const;
    // REST STREAM in FEAT, or REST 0 accepted after log-in.
    bool RestartSupported() const;
    // The directory the server confirmed with PWD; empty when closed or when
    // the server's answer could not be used. Never throws.
    QString CurrentDirectory() const;
    // CWD and PWD; throws when the server refuses.
    void setCurrentDirectory(const QString &path);
    // The result of the last ListDirectory; format 2 without entries after a
    // failed one.
    const FtpListing &ListingEntries() const;

    // Greeting, USER/PASS (ACCT with `account` when asked), FEAT, OPTS UTF8 ON
    // when offered, TYPE I, PWD; with TLS as Encryption says (see
    // FtpSecurity.h). Returns logged in or throws; a session that was
    // connected is closed first.
    void OpenConnection(const QString &host, const QString &user, const QString &password,
                        const QString &account, int port);
    // QUIT; closed afterwards even when the server does not answer.
    void CloseConnection();
    // Closes at once, also from an event handler during a call (which then
    // throws 11116 promptly). No-op when closed.
    void DropConnection();
    // Ends the running operation, whatever it is: a transfer at once (ABOR,
    // the partial file kept), any other call once the server has answered
    // the command in hand, a connect at once (closed afterwards); a tree
    // copy or a walk stops between two entries. The call throws 11101, also
    // when the server's answer was the last it needed; the session stays
    // connected. No-op when idle.
    void StopTransfer();
    void ParentDirectory();
    void ListDirectory(const QString &path = QString());
    // Reports the outcome as ActivityEvent code 25 (see FtpCodes.h).
    void MakeRemoteDirectory(const QString &path);
    void RemoveRemoteDirectory(const QString &path);
    void DeleteRemoteFile(const QString &path);
    void RenameRemote(const QString &from, const QString &to);
    // Offset 0 replaces the local file; offset n keeps exactly its first n
    // bytes and appends the rest (REST n). The offset is only read.
    void DownloadFile(const QString &remote, const QString &local, qint64 &offset);
    void DownloadFile(const QString &remote, const QString &local);
    // With UploadMode 2, from `offset` (the remote file's present size).
    void UploadFile(const QString &remote, const QString &local, qint64 &offset);
    // Copy the whole tree below a folder. Patterns: "/pub/docs/*" (remote),
    // "/home/me/docs" + separator + "*" (local), optionally in double quotes.
    void DownloadMany(const QString &remotePattern, const QString &localFolder);
    void UploadMany(const QString &localPattern, const QString &remoteFolder);

Q_SIGNALS:
    void ActivityEvent(int code, int category, const QString &text, qint64 count,
                       const QVariant &extra);
    void StateChangedEvent();

private:
    class Bridge;

    enum class StopEffect
    {
        Fails,  // a stop that came too late for the worker still fails the call
        Closes, // ... and closes the connection it made (OpenConnection)
    };

    void run(const std::function<void(FtpEngine &)> &operation,
             StopEffect stopEffect = StopEffect::Fails);
    void waitInEventLoop(const std::shared_ptr<bool> &alive);
    void startWorker();
    void deliverEvents();
    void applyState(int state);

    std::unique_ptr<RemoteInterrupt> m_interrupt;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<FtpEngine> m_engine;
    // The worker thread and the object its operations are queued to.
    std::unique_ptr<QThread> m_worker;
    QObject *m_workerContext = nullptr;
    // Released by the worker when an operation is over.
    std::unique_ptr<QSemaphore> m_finished;

    int m_uploadMode = FtpUploadMode::Overwrite;
    int m_timeoutMs = 30000;
    int m_transferSetting = FtpTransferSetting::Binary;
    bool m_passive = true;
    int m_nameEncoding = FtpNameEncoding::Auto;
    int m_encryption = FtpEncryption::Plain;
    bool m_encrypted = false;
    CertificateQuestion m_certificateQuestion;
    bool m_busy = false;
    bool m_stopAsked = false;
    int m_state = FtpState::Closed;
    bool m_restartSupported = false;
    QString m_currentDirectory;
    FtpListing m_listing;

    // The call in progress.
    QEventLoop *m_loop = nullptr;
    // Since a call last waited in an event loop.
    QElapsedTimer m_sinceEventLoop;
    bool m_done = false;
    std::optional<FtpError> m_result;
    // Bumped by DropConnection during a call.
    quint64 m_generation = 0;
    // False once the session is being destroyed.
    std::shared_ptr<bool> m_alive;
};
