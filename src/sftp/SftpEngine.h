#pragma once

#include "remote/RemoteNameCodec.h"
#include "sftp/SftpClient.h"
#include "sftp/SftpHostKey.h"
#include "sftp/SftpListing.h"
#include "sftp/SftpSettings.h"
#include "sftp/SftpTransport.h"

#include <QSet>
#include <QString>

class RemoteInterrupt;
class SftpEventSink;

// What the session shows about its connection (caption, log).
struct SftpConnectionInfo
{
    QString serverBanner; // "SSH-2.0-OpenSSH_9.2p1 Debian-2+deb12u3"
    QString keyExchange;  // "curve25519-sha256"
    QString cipher;       // "aes256-gcm@openssh.com"
    QString mac;          // "hmac-sha2-256-etm@openssh.com", or the AEAD cipher's name
    SftpHostKey hostKey;
    quint32 sftpVersion = 0;
    QByteArrayList extensions;
};

// An SFTP client session's protocol side: runs on the session's worker
// thread, one operation at a time, synchronous, and speaks through
// SftpEventSink. Every operation throws SftpError.
//
// Every wait polls the connection together with the interrupt's pipe: a
// drop ends any call at once (closed afterwards), a stop ends any call at
// once with Stopped and leaves the session connected (requests in flight
// are abandoned: their replies are dropped when they come, and a transfer
// keeps its partial file), and the time-out bounds every wait. A time-out,
// a lost connection and a server that breaks the protocol close the
// connection before the error is thrown.
//
// The caller resets the interrupt before each operation, as FtpSession
// does: a stop asked for during one operation ends that one only.
//
// SFTP has no working directory: the engine keeps one, confirmed by the
// server (realpath), and relative paths are read against it. Names go to
// the server in the connection's one encoding, byte for byte as listed.
class SftpEngine
{
public:
    SftpEngine(RemoteInterrupt &interrupt, SftpEventSink &sink);

    void setSettings(const SftpSettings &settings);
    const SftpSettings &settings() const { return m_settings; }

    // TCP, the SSH handshake, the host key (asked about unless known or
    // trusted; nothing secret is sent before it is accepted), the log-in,
    // SFTP and the folder the server starts in. A session that was
    // connected is closed first; a stop ends the connect at once (closed).
    void open(const SftpLogin &login);
    // Ends the connection politely; closed afterwards whatever happens.
    void quit();
    // Closes at once without a word to the server.
    void dropNow();

    // realpath of the path, which must be a folder.
    void changeDirectory(const QString &path);
    void parentDirectory();
    // Empty: the current directory. Links are looked at (stat and readlink,
    // all in flight at once): a link to a folder is LinkToFolder, a link
    // whose target is gone stays Link.
    SftpListing list(const QString &path = {});
    // What the path names, following links (the kind of a link's target),
    // or, with lstat(), the link itself.
    SftpEntry stat(const QString &path);
    SftpEntry lstat(const QString &path);
    QString readLink(const QString &path);
    // A folder that is there already fails with AlreadyExists.
    void makeDirectory(const QString &path);
    void removeDirectory(const QString &path);
    void deleteFile(const QString &path);
    // A target that is there already fails with AlreadyExists (SFTP
    // version 3 never replaces).
    void rename(const QString &from, const QString &to);
    // `permissions`: octal digits read as decimal, as SftpEntry has them (755).
    void chmod(const QString &path, int permissions);
    // Offset 0 replaces the local file; offset n keeps exactly its first n
    // bytes and appends the rest of the remote file.
    void download(const QString &remote, const QString &local, qint64 offset);
    // Offset 0 replaces the remote file; offset n continues it from n (see
    // SftpUpload).
    void upload(const QString &remote, const QString &local, qint64 offset);

    int state() const { return m_state; }
    // The folder the server confirmed; empty when closed or unknown.
    QString currentDirectory() const;
    // The same as the server named it, byte for byte (what tells a folder
    // when a tree walk meets it again).
    QByteArray currentDirectoryRaw() const { return m_directory; }
    const SftpConnectionInfo &connectionInfo() const { return m_info; }

private:
    template <typename Operation> void guarded(Operation &&operation);
    void setState(int state);
    void requireConnected() const;
    void closeConnection(bool polite);
    void acceptHostKey(const SftpLogin &login);
    void readConnectionInfo();
    void startDirectory();
    QString absolute(const QString &path) const;
    QString transferPath(const QString &remote, const QString &local) const;
    QByteArray encode(const QString &path);
    void decideEncodingFor(const QString &path);
    QVector<SftpNameItem> readFolder(const QByteArray &raw, const QString &shown);
    void resolveLinks(const QByteArray &folder, QVector<SftpEntry> &entries);
    QByteArray realPath(const QByteArray &raw, const QString &shown);
    SftpEntry attributesOf(quint8 type, const QString &path);
    void simple(quint8 type, const QString &path);
    bool exists(const QByteArray &raw);

    RemoteInterrupt &m_interrupt;
    SftpEventSink &m_sink;
    SftpSettings m_settings;
    SftpTransport m_transport;
    SftpClient m_client;
    RemoteNameCodec m_codec;
    // Folders listed to decide the encoding, so none is listed twice.
    QSet<QByteArray> m_probed;
    QByteArray m_directory;
    SftpConnectionInfo m_info;
    int m_state = SftpState::Closed;
};
