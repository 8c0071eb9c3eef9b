#pragma once

#include "queue/QueueItem.h"

#include <QObject>
#include <QThread>
#include <memory>

class RemoteSession;
struct RemoteActivity;

// What one item asks of a connection.
struct QueueJob
{
    int id = 0;
    bool upload = false;
    bool folder = false;
    bool resume = false;
    QString localPath;
    QString remotePath;
};

// One connection of the transfer queue. The session's calls wait in a nested
// event loop, and nested loops end in the reverse order they began: two
// transfers driven from one thread would each wait for the later one. So
// every connection is driven from a thread of its own, made with the
// worker, and talks to the queue through queued signals only.
class QueueWorker : public QObject
{
    Q_OBJECT
public:
    // The connection's transfers draw from `limits`, whatever the site's
    // settings say: the queue's items share them with every other transfer.
    QueueWorker(std::shared_ptr<const QueueSite> site, RemoteRateLimits limits);
    // Logs out and ends the thread; waits for a transfer in hand to stop.
    ~QueueWorker() override;

    const std::shared_ptr<const QueueSite> &site() const { return m_site; }

    // From the queue's thread: the calls are carried out on the worker's.
    void start(const QueueJob &job);
    void stop();

Q_SIGNALS:
    // Bytes on the target side; total -1 when unknown.
    void progress(int id, qint64 bytes, qint64 total);
    // `error` 0 when done; `connecting`: the log-in failed, nothing moved;
    // `verified`: the server's hash vouched for every file moved.
    void finished(int id, int error, const QString &description, bool connecting, bool verified);

private:
    // These run on the worker's thread.
    void run(const QueueJob &job);
    bool connectSession(int id);
    void transfer(const QueueJob &job);
    qint64 remoteSize(const QString &path);
    void reportProgress(int id, const RemoteActivity &activity);

    class Thread;
    std::shared_ptr<const QueueSite> m_site;
    RemoteRateLimits m_limits;
    // Lives on the worker's thread; made there when first needed.
    std::unique_ptr<RemoteSession> m_session;
    std::unique_ptr<QThread> m_thread;
    QObject *m_context = nullptr; // on the worker's thread: where calls go
    // The item in hand, its start offset and, for a folder, the bytes of
    // the files already copied: progress counts the current file only.
    int m_currentId = 0;
    qint64 m_offset = 0;
    qint64 m_folderDone = 0;
};
