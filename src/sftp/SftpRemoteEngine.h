#pragma once

#include "remote/RemoteEngine.h"
#include "remote/RemoteQuestion.h"
#include "sftp/SftpEngine.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpToRemote.h"

class RemoteEventSink;
class RemoteInterrupt;

// The SFTP engine behind the session interface: what WorkerSession runs for
// an SFTP session. It hands the session's settings to the engine, checks
// names the way every session does, and turns the engine's errors, events
// and questions into the interface's (SftpToRemote).
//
// SFTP has no current directory on the server: the engine's, confirmed by
// realpath, is the one a walk enters and returns to. Names may hold CR and
// LF (SFTP sends them as they are); only NUL is refused, since the server
// reads paths as C strings. The transfer setting does not apply: SFTP
// moves bytes as they are.
class SftpRemoteEngine : public RemoteEngine, private SftpEventSink
{
public:
    SftpRemoteEngine(RemoteInterrupt &interrupt, RemoteEventSink &sink);

    void setSettings(const RemoteSettings &settings) override;

    void open(const RemoteLogin &login) override;
    void quit() override;
    void dropNow() override { m_engine.dropNow(); }
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

    int state() const override { return m_engine.state(); }
    bool encrypted() const override { return connected(); }
    QString currentDirectory() const override { return m_engine.currentDirectory(); }
    bool restartSupported() const override { return connected(); }

    void walk(const std::function<void()> &steps) override;
    bool connected() const override { return m_engine.state() == SftpState::Connected; }
    RemoteFolder knownFolder() const override;
    RemoteFolder confirmFolder() override;
    // SFTP names no folder for good: the walk tells folders by their real paths.
    QByteArray folderIdentity() override { return {}; }
    std::optional<RemoteError> enter(const QString &path) override;
    bool returnTo(const RemoteFolder &folder) override;
    RemoteListing listHere() override;
    std::optional<RemoteError> makeFolder(const QString &name) override;
    void fetch(const QString &remote, const QString &local, qint64 knownSize) override;
    void send(const QString &local, const QString &remote) override;

private:
    void activity(const SftpEvent &event) override;
    void stateChanged(int state) override;
    SftpTrust hostKeyQuestion(const SftpHostKey &key) override;
    std::optional<QString> secretQuestion(SftpSecret secret, const QString &subject,
                                          bool again) override;
    std::optional<QStringList> interactiveQuestion(const SftpInteractivePrompt &prompt) override;

    RemoteAnswer ask(const RemoteQuestion &question);
    template <typename Call> void translated(Call &&call);
    template <typename Call> std::optional<RemoteError> refusalOf(Call &&call);
    void requireConnected() const;
    void transfer(const SftpToRemote::Transfer &kind, const std::function<void()> &call);
    void reportFolder(RemoteFolderOutcome outcome, RemoteText text);

    RemoteEventSink &m_sink;
    SftpEngine m_engine;
    RemoteSettings m_settings;
    SftpToRemote::Transfer m_transfer;
    // A tree walk runs: its listings are steps, not the user's listings.
    bool m_walking = false;
};
