#pragma once

#include "remote/RemoteSession.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QSemaphore;
class QThread;
class QTimer;
class RemoteEngine;
class RemoteEventSink;
class RemoteFileCheck;
class RemoteInterrupt;

// A RemoteSession whose protocol runs in a worker thread (one for the
// session's whole life, started with its first operation) on an engine of
// its own: the part every protocol shares. The caller's thread waits in a
// nested event loop while the engine works; the engine's reports and
// questions reach the caller's thread in order, one at a time.
class WorkerSession : public RemoteSession
{
    Q_OBJECT
public:
    // Makes the engine, given the interrupt that reaches its waits and the
    // sink it speaks through (both the session's).
    using EngineMaker =
        std::function<std::unique_ptr<RemoteEngine>(RemoteInterrupt &, RemoteEventSink &)>;

    WorkerSession(RemoteProtocol protocol, const EngineMaker &makeEngine,
                  QObject *parent = nullptr);
    ~WorkerSession() override;

    // Speaks `protocol` from the next connection on, with an engine made by
    // `makeEngine`: one session object whatever the site speaks. Only while
    // closed and idle; false (and nothing changed) otherwise.
    bool replaceEngine(RemoteProtocol protocol, const EngineMaker &makeEngine);

    RemoteProtocol Protocol() const override { return m_protocol; }
    bool IsBusy() const override { return m_busy; }
    int ConnectionState() const override { return m_state; }
    bool RestartSupported() const override { return m_restartSupported; }
    bool IsEncrypted() const override { return m_encrypted; }
    QString CurrentDirectory() const override { return m_currentDirectory; }
    void setCurrentDirectory(const QString &path) override;
    const RemoteListing &ListingEntries() const override { return m_listing; }
    bool TransferVerified() const override { return m_transferVerified; }

    void OpenConnection(const QString &host, const QString &user, const QString &password,
                        const QString &account, int port) override;
    void CloseConnection() override;
    void DropConnection() override;
    void StopTransfer() override;
    void ParentDirectory() override;
    void ListDirectory(const QString &path = QString()) override;
    void MakeRemoteDirectory(const QString &path) override;
    void RemoveRemoteDirectory(const QString &path) override;
    void DeleteRemoteFile(const QString &path) override;
    void RenameRemote(const QString &from, const QString &to) override;
    void ChangePermissions(const QString &path, int permissions) override;
    void ChangePermissionsMany(const QString &folder, int filePermissions,
                               int folderPermissions) override;
    void RemoveTree(const QString &folder) override;
    using RemoteSession::DownloadFile;
    void DownloadFile(const QString &remote, const QString &local, qint64 &offset) override;
    void UploadFile(const QString &remote, const QString &local, qint64 &offset) override;
    void DownloadMany(const QString &remotePattern, const QString &localFolder) override;
    void UploadMany(const QString &localPattern, const QString &remoteFolder) override;
    RemoteHash FileHash(const QString &remote) override;

private:
    class Bridge;

    enum class StopEffect
    {
        Fails,  // a stop that came too late for the worker still fails the call
        Closes, // ... and closes the connection it made (OpenConnection)
    };

    void run(const std::function<void(RemoteEngine &)> &operation,
             StopEffect stopEffect = StopEffect::Fails);
    void waitInEventLoop(const std::shared_ptr<bool> &alive);
    static RemoteError destroyedError();
    void startWorker();
    void deliverEvents();
    void applyState(int state);
    // Runs a transfer under RemoteFileCheck, which `move` is given.
    void runChecked(const std::function<void(RemoteEngine &, RemoteFileCheck &)> &move);

    RemoteProtocol m_protocol;
    std::unique_ptr<RemoteInterrupt> m_interrupt;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<RemoteEngine> m_engine;
    // The worker thread and the object its operations are queued to.
    std::unique_ptr<QThread> m_worker;
    QObject *m_workerContext = nullptr;
    // Released by the worker when an operation is over.
    std::unique_ptr<QSemaphore> m_finished;
    // Collects the worker's reports while a call runs.
    QTimer *m_collect;

    bool m_encrypted = false;
    // The listing in hand has handed entries over as they came, and those
    // it handed over.
    bool m_entriesShown = false;
    QVector<RemoteEntry> m_shownEntries;
    bool m_busy = false;
    bool m_stopAsked = false;
    int m_state = 0;
    bool m_restartSupported = false;
    bool m_transferVerified = false;
    QString m_currentDirectory;
    RemoteListing m_listing;

    // The call in progress.
    QEventLoop *m_loop = nullptr;
    // Since a call last waited in an event loop.
    QElapsedTimer m_sinceEventLoop;
    bool m_done = false;
    std::optional<RemoteError> m_result;
    // Bumped by DropConnection during a call.
    quint64 m_generation = 0;
    // False once the session is being destroyed.
    std::shared_ptr<bool> m_alive;
};
