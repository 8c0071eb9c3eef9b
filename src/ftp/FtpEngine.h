#pragma once

#include "ftp/FtpContext.h"
#include "ftp/FtpListing.h"

#include <QString>

class FtpEventSink;
class RemoteInterrupt;

// The protocol side of FtpSession: runs on the worker thread, one operation at
// a time, and speaks through FtpEventSink. Every operation throws FtpError;
// errors that leave the control connection unusable close it first. A stop
// asked for during an operation ends it with 11101 at the next point where
// the server has answered (at once while connecting).
class FtpEngine
{
public:
    FtpEngine(RemoteInterrupt &interrupt, FtpEventSink &sink);

    void setSettings(const FtpSettings &settings) { m_context.setSettings(settings); }

    void open(const QString &host, const QString &user, const QString &password,
              const QString &account, int port);
    void quit();
    // Closes at once without a word to the server.
    void dropNow();
    void changeDirectory(const QString &path);
    void parentDirectory();
    FtpListing list(const QString &path);
    void makeDirectory(const QString &path);
    void removeDirectory(const QString &path);
    void deleteFile(const QString &path);
    void rename(const QString &from, const QString &to);
    void download(const QString &remote, const QString &local, qint64 offset);
    void upload(const QString &remote, const QString &local, qint64 offset);
    void downloadTree(const QString &remotePattern, const QString &localFolder);
    void uploadTree(const QString &localPattern, const QString &remoteFolder);

    int state() const { return m_state; }
    // Logged in over TLS, data connections included.
    bool encrypted() const;
    QString currentDirectory() const { return m_context.currentDirectory(); }
    bool restartSupported() const { return m_context.restartSupported(); }

private:
    template <typename Operation> void guarded(Operation &&operation);
    void setState(int state);
    void requireConnected() const;
    void login(const QString &user, const QString &password, const QString &account);
    void readFeatures();
    void closeControl();
    bool directoryExists(const QByteArray &raw);
    QByteArray credential(const QString &text) const;

    FtpContext m_context;
    FtpEventSink &m_sink;
    int m_state = 0;
};
