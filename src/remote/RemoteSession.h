#pragma once

#include "remote/RemoteActivity.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteError.h"
#include "remote/RemoteHash.h"
#include "remote/RemoteQuestion.h"
#include "remote/RemoteSettings.h"

#include <QObject>
#include <QString>
#include <functional>

// A client session with one server, whatever the protocol: the operations,
// properties and events the program drives, by their documented names.
//
// Operations are synchronous for the caller and throw RemoteError on
// failure, while the protocol runs on a worker thread: the calling thread
// waits in a nested event loop, so ActivityEvent and StateChangedEvent
// arrive on the caller's thread during the call (collected every few
// milliseconds, in order), the user interface repaints, and StopTransfer or
// DropConnection issued meanwhile (from an event handler, a button) take
// effect. A call over within a few milliseconds is waited for without the
// loop (though not for longer than 50 ms in a row); its events then arrive,
// in order, before it returns. An operation started while another one runs
// throws 11105 (busy) instead of disturbing it. Call the session
// from the thread it lives in, and do not delete it from inside one of its
// own calls.
//
// Paths may be absolute or relative to the server's current directory;
// names shown by ListDirectory are sent back byte for byte, and every name
// goes to the server in the connection's one encoding (NameEncoding). The
// numbers are RemoteCodes.h's, the events RemoteActivity.h's.
class RemoteSession : public QObject
{
    Q_OBJECT
public:
    // Asked on the caller's thread while a connection is made: a server
    // certificate that the system's trust store or the host name does not
    // vouch for, an SSH host key not yet known, a password or passphrase,
    // the questions of a keyboard-interactive log-in. The connection waits
    // for the answer without a time-out (a stop or a drop ends the call
    // meanwhile; the answer is then not used). "Always" is the caller's to
    // remember: the session asks again on every connection. Without a
    // question set, certificates and keys are refused and secrets declined.
    using Question = std::function<RemoteAnswer(const RemoteQuestion &question)>;

    explicit RemoteSession(QObject *parent = nullptr);
    ~RemoteSession() override;

    virtual RemoteProtocol Protocol() const = 0;

    // 0 overwrite, 2 resume from the offset; any other value is taken as 0.
    int UploadMode() const { return m_settings.uploadMode; }
    void setUploadMode(int mode);
    // Connect and every wait for the server; 30 000 by default, and values of
    // 0 or less select that default.
    int TimeoutMs() const { return m_settings.timeoutMs; }
    void setTimeoutMs(int ms);
    // 0 binary; 1 ASCII (FTP's TYPE A) for the following transfers.
    int TransferSetting() const { return m_settings.transferSetting; }
    void setTransferSetting(int value);
    // FTP: EPSV/PASV when on (the default), EPRT/PORT when off.
    bool PassiveMode() const { return m_settings.passive; }
    void setPassiveMode(bool on) { m_settings.passive = on; }
    // RemoteNameEncoding: 0 decide from the server (the default), 1 UTF-8,
    // 2 GBK (GB18030); any other value is taken as 0. Read by
    // OpenConnection and kept for that connection.
    int NameEncoding() const { return m_settings.nameEncoding; }
    void setNameEncoding(int encoding);
    // RemoteEncryption (FTP): 0 plain FTP (the default), 1 TLS when the
    // server offers it, 2 TLS or no connection, 3 implicit TLS. Any other
    // value is taken as 0. Read by OpenConnection.
    int Encryption() const { return m_settings.encryption; }
    void setEncryption(int encryption);
    // SFTP: the private key file to log in with, and the host key
    // fingerprints the user trusts for the site. Read by OpenConnection.
    QString KeyFile() const { return m_settings.keyFile; }
    void setKeyFile(const QString &file) { m_settings.keyFile = file; }
    QStringList TrustedHostKeys() const { return m_settings.trustedHostKeys; }
    void setTrustedHostKeys(const QStringList &fingerprints)
    {
        m_settings.trustedHostKeys = fingerprints;
    }
    // On (the default): every file a transfer moves is compared with the
    // server's hash of it where the server offers one (FTP: HASH, XSHA256,
    // XSHA1, XMD5, XCRC); a file that differs fails the call with 11132
    // and is kept. Binary transfers only.
    bool VerifyTransfers() const { return m_settings.verifyTransfers; }
    void setVerifyTransfers(bool on) { m_settings.verifyTransfers = on; }
    // The download and upload limits file transfers draw from, shared with
    // other sessions; none by default. A change of a limit's rate applies to
    // a transfer already running.
    const RemoteRateLimits &RateLimits() const { return m_settings.rateLimits; }
    void setRateLimits(const RemoteRateLimits &limits) { m_settings.rateLimits = limits; }
    // All of the above at once: a second session for the same site takes
    // the first one's.
    const RemoteSettings &settings() const { return m_settings; }
    void setSettings(const RemoteSettings &settings);

    void setQuestion(Question question) { m_question = std::move(question); }
    const Question &question() const { return m_question; }

    virtual bool IsBusy() const = 0;
    // RemoteState: 0 closed, 1 connecting, 2 connected and logged in.
    virtual int ConnectionState() const = 0;
    // The server can resume transfers from an offset.
    virtual bool RestartSupported() const = 0;
    // Logged in, and everything goes encrypted (FTP: TLS with encrypted data
    // connections; SFTP always).
    virtual bool IsEncrypted() const = 0;
    // The directory the server confirmed; empty when closed or when the
    // server's answer could not be used. Never throws.
    virtual QString CurrentDirectory() const = 0;
    // Changes to `path`; throws when the server refuses.
    virtual void setCurrentDirectory(const QString &path) = 0;
    // The last DownloadFile, UploadFile, DownloadMany or UploadMany moved at
    // least one file, and every file it moved was found equal to the
    // server's by its hash. False after a failed one.
    virtual bool TransferVerified() const = 0;
    // The result of the last ListDirectory; format 2 without entries after a
    // failed one.
    virtual const RemoteListing &ListingEntries() const = 0;

    // Logs in (FTP: `account` when the server asks for one). Returns logged
    // in or throws; a session that was connected is closed first.
    virtual void OpenConnection(const QString &host, const QString &user, const QString &password,
                                const QString &account, int port) = 0;
    // Logs out; closed afterwards even when the server does not answer.
    virtual void CloseConnection() = 0;
    // Closes at once, also from an event handler during a call (which then
    // throws 11116 promptly). No-op when closed.
    virtual void DropConnection() = 0;
    // Ends the running operation, whatever it is: a transfer at once (the
    // partial file kept), any other call once the server has answered the
    // request in hand, a connect at once (closed afterwards); a tree copy
    // stops between two entries. The call throws 11101, also when the
    // server's answer was the last it needed; the session stays connected.
    // No-op when idle.
    virtual void StopTransfer() = 0;
    virtual void ParentDirectory() = 0;
    virtual void ListDirectory(const QString &path = QString()) = 0;
    // Reports the outcome as MakeDirectoryResult, made or not.
    virtual void MakeRemoteDirectory(const QString &path) = 0;
    virtual void RemoveRemoteDirectory(const QString &path) = 0;
    virtual void DeleteRemoteFile(const QString &path) = 0;
    virtual void RenameRemote(const QString &from, const QString &to) = 0;
    // `permissions`: octal digits read as decimal (755), as listings give them.
    virtual void ChangePermissions(const QString &path, int permissions) = 0;
    // The same for everything inside the folder `folder` (not the folder
    // itself), walked as one operation: files get `filePermissions`,
    // folders `folderPermissions` (-1: left as they are), each folder once
    // its contents are done. Links are left as they are and never
    // followed. Entries the server refuses are reported (ItemFailed) and
    // the rest goes on; they fail the call with 11119 at the end.
    virtual void ChangePermissionsMany(const QString &folder, int filePermissions,
                                       int folderPermissions) = 0;
    // The folder `folder` (an absolute path) with everything in it, walked
    // as one operation, each entry reported as it goes (EntryRemoved). Only
    // what the server lists inside the very path asked for is deleted; links
    // go as links and are never followed, and a folder row that takes a file
    // delete (a link some servers list as a folder) goes so, unwalked.
    // Entries the server refuses are reported (ItemFailed) and the rest goes
    // on; they leave the folder in place and fail the call with 11119.
    virtual void RemoveTree(const QString &folder) = 0;
    // Offset 0 replaces the local file; offset n keeps exactly its first n
    // bytes and appends the rest. The offset is only read.
    virtual void DownloadFile(const QString &remote, const QString &local, qint64 &offset) = 0;
    void DownloadFile(const QString &remote, const QString &local);
    // With UploadMode 2, from `offset` (the remote file's present size).
    virtual void UploadFile(const QString &remote, const QString &local, qint64 &offset) = 0;
    // Copy the whole tree below a folder. Patterns: "/pub/docs/*" (remote),
    // "/home/me/docs" + separator + "*" (local), optionally in double quotes.
    virtual void DownloadMany(const QString &remotePattern, const QString &localFolder) = 0;
    virtual void UploadMany(const QString &localPattern, const QString &remoteFolder) = 0;
    // The server's hash of a file, the strongest the server offers; an
    // algorithm of None when it offers none (SFTP never does), or none for
    // this file.
    virtual RemoteHash FileHash(const QString &remote) = 0;

Q_SIGNALS:
    void ActivityEvent(const RemoteActivity &activity);
    void StateChangedEvent();
    // During ListDirectory, the entries read so far, in order, a few thousand
    // at a time: a caller may show a long listing while it comes in. Every
    // entry of the listing comes this way before the call returns;
    // ListingEntries then holds them all (and may leave out "." and "..",
    // which can come here).
    void EntriesRead(const QVector<RemoteEntry> &entries);

private:
    RemoteSettings m_settings;
    Question m_question;
};
