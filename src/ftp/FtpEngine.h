#pragma once

#include "ftp/FtpContext.h"
#include "remote/RemoteEngine.h"

#include <QString>

class RemoteEventSink;
class RemoteInterrupt;

// The FTP (and FTPS) engine behind a RemoteSession: runs on the worker
// thread, one operation at a time, and speaks through RemoteEventSink. Every
// operation throws RemoteError; errors that leave the control connection
// unusable close it first. A stop asked for during an operation ends it
// with 11101 at the next point where the server has answered (at once while
// connecting).
class FtpEngine : public RemoteEngine
{
public:
    FtpEngine(RemoteInterrupt &interrupt, RemoteEventSink &sink);

    void setSettings(const RemoteSettings &settings) override { m_context.setSettings(settings); }

    void open(const RemoteLogin &login) override;
    void quit() override;
    void dropNow() override;
    void changeDirectory(const QString &path) override;
    void parentDirectory() override;
    RemoteListing list(const QString &path) override;
    void makeDirectory(const QString &path) override;
    void removeDirectory(const QString &path) override;
    void deleteFile(const QString &path) override;
    void rename(const QString &from, const QString &to) override;
    void changePermissions(const QString &path, int permissions) override;
    void download(const QString &remote, const QString &local, qint64 offset) override;
    void upload(const QString &remote, const QString &local, qint64 offset) override;

    int state() const override { return m_state; }
    bool encrypted() const override;
    QString currentDirectory() const override { return m_context.currentDirectory(); }
    bool restartSupported() const override { return m_context.restartSupported(); }

    void walk(const std::function<void()> &steps) override;
    bool connected() const override { return m_context.control().isOpen(); }
    RemoteFolder knownFolder() const override;
    RemoteFolder confirmFolder() override;
    QByteArray folderIdentity() override;
    std::optional<RemoteError> enter(const QString &path) override;
    bool returnTo(const RemoteFolder &folder) override;
    RemoteListing listHere() override;
    std::optional<RemoteError> makeFolder(const QString &name) override;
    void fetch(const QString &remote, const QString &local, qint64 knownSize) override;
    void send(const QString &local, const QString &remote) override;

    RemoteHashAlgorithm hashAlgorithm() override;
    RemoteHash fileHash(const QString &path, qint64 sizeHint) override;
    void setTransferTap(RemoteDigest *tap) override;

private:
    template <typename Operation> void guarded(Operation &&operation);
    void setState(int state);
    void requireConnected() const;
    void login(const QString &user, const QString &password, const QString &account);
    void readFeatures();
    void closeControl();
    bool directoryExists(const QByteArray &raw);
    QByteArray credential(const QString &text) const;
    void reportMadeDirectory(RemoteFolderOutcome outcome, int replyCode, const QString &reply,
                             RemoteText text);

    FtpContext m_context;
    RemoteEventSink &m_sink;
    int m_state = 0;
};
