#pragma once

#include "queue/QueueItem.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>
#include <functional>
#include <map>
#include <memory>

class QueueWorker;

// Transfers that run beside the browsing session: items wait in the order
// they were added and at most `limit` run at once, each on a connection of
// its own to the item's site, opened when an item needs it and closed once
// nothing waits for it.
//
// An item that fails because the connection dropped or timed out goes on
// from where it stopped, up to three times, five seconds apart; a refusal
// is final. A server that turns away another connection (421, too many
// connections) costs the item nothing: it waits, and the site is given one
// connection fewer. A stopped item stays until it is started again (it
// resumes) or removed.
class TransferQueue : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxRetries = 3;
    static constexpr int RetryDelayMs = 5000;

    explicit TransferQueue(QObject *parent = nullptr);
    ~TransferQueue() override;

    // 1 to 10; more room starts waiting items at once.
    void setLimit(int limit);
    int limit() const { return m_limit; }

    // What the connections made from now on draw from; a limit's rate
    // changes in place, for running items too.
    void setRateLimits(const RemoteRateLimits &limits) { m_rateLimits = limits; }

    // Called on the queue's thread just before an item starts; false skips
    // it (it leaves as done, untouched). Items already decided are not asked.
    using BeforeStart = std::function<bool(QueueItem &item)>;
    void setBeforeStart(BeforeStart beforeStart) { m_beforeStart = std::move(beforeStart); }

    // Returns the item's id. An item awaiting a log-in is added stopped.
    int add(QueueItem item);
    void stopAll();
    // Waiting and stopped items only: a running one is stopped first.
    void remove(int id);
    // A stopped item waits again, to go on from where it stopped.
    void restart(int id);
    // Items that wait for a log-in to `site`'s server go on with it.
    void adoptLogin(const std::shared_ptr<const QueueSite> &site);

    const QVector<QueueItem> &items() const { return m_items; }
    int indexOf(int id) const;
    int runningCount() const;

Q_SIGNALS:
    void itemAdded(int row);
    void itemChanged(int row);
    void itemRemoved(int row);
    // The item left the queue: error 0 when it arrived whole, else why not.
    void itemFinished(const QueueItem &item, int error, const QString &description);

private:
    void pump();
    bool startNext();
    int connectionsTo(const QueueSite &site) const;
    void onProgress(int id, qint64 bytes, qint64 total);
    void onFinished(QueueWorker *worker, int id, int error, const QString &description,
                    bool connecting, bool verified);
    void finishItem(int row, int error, const QString &description);
    void closeIdleWorkers();
    void scheduleRetry(QueueItem &item);

    struct Connection
    {
        std::unique_ptr<QueueWorker> worker;
        int itemId = 0; // 0 while idle
    };
    Connection &connectionFor(const std::shared_ptr<const QueueSite> &site);

    QVector<QueueItem> m_items;
    std::vector<Connection> m_connections;
    // Per-item speed: the bytes and the time of the last look.
    std::map<int, std::pair<qint64, qint64>> m_speedMarks;
    QElapsedTimer m_clock;
    // Connections a server turned away lower how many it is given.
    std::map<QString, int> m_serverCap;
    BeforeStart m_beforeStart;
    RemoteRateLimits m_rateLimits;
    QTimer m_wake;
    int m_limit = 2;
    int m_nextId = 1;
    bool m_pumping = false;
};
