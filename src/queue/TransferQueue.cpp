#include "queue/TransferQueue.h"

#include "queue/QueueWorker.h"
#include "remote/RemoteCodes.h"

#include <algorithm>

namespace {
// A connection that broke or a server that did not answer in time: trying
// again from where the item stopped is likely to succeed. A refusal is not.
bool worthRetrying(int error)
{
    switch (error) {
    case RemoteErrorCode::TimedOut:
    case RemoteErrorCode::ConnectionLost:
    case RemoteErrorCode::TransferIncomplete:
    case RemoteErrorCode::DataConnectionFailed:
    case RemoteErrorCode::CannotConnect:
    case 421: // service closing the control connection
    case 425: // no data connection
    case 426: // data connection closed, transfer aborted
        return true;
    default:
        return false;
    }
}

// Servers turn away a connection over their limit with 421 at the greeting
// (pyftpdlib, vsftpd, ProFTPD), some with a 530 that says so.
bool tooManyConnections(int error, const QString &description)
{
    return error == 421 || description.contains(QLatin1String("too many"), Qt::CaseInsensitive);
}

QString serverKey(const QueueSite &site)
{
    return site.login.user + QLatin1Char('@') + site.login.host + QLatin1Char(':') +
           QString::number(site.login.port);
}
} // namespace

TransferQueue::TransferQueue(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &TransferQueue::pump);
}

TransferQueue::~TransferQueue() = default;

void TransferQueue::setLimit(int limit)
{
    m_limit = std::clamp(limit, 1, 10);
    pump();
}

int TransferQueue::add(QueueItem item)
{
    item.id = m_nextId++;
    item.state = item.awaitingLogin ? QueueItem::State::Stopped : QueueItem::State::Waiting;
    m_items.append(std::move(item));
    Q_EMIT itemAdded(int(m_items.size()) - 1);
    const int id = m_items.constLast().id;
    // Later: a command adds all its items before any of them starts.
    QTimer::singleShot(0, this, &TransferQueue::pump);
    return id;
}

int TransferQueue::indexOf(int id) const
{
    for (int row = 0; row < m_items.size(); ++row)
        if (m_items.at(row).id == id)
            return row;
    return -1;
}

int TransferQueue::runningCount() const
{
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [](const Connection &c) { return c.itemId != 0; }));
}

int TransferQueue::connectionsTo(const QueueSite &site) const
{
    return int(
        std::count_if(m_connections.begin(), m_connections.end(), [&site](const Connection &c) {
            return c.itemId != 0 && c.worker->site()->sameServer(site);
        }));
}

void TransferQueue::stopAll()
{
    for (const Connection &connection : m_connections)
        if (connection.itemId != 0)
            connection.worker->stop();
}

void TransferQueue::remove(int id)
{
    const int row = indexOf(id);
    if (row < 0 || m_items.at(row).state == QueueItem::State::Running)
        return;
    m_items.removeAt(row);
    m_speedMarks.erase(id);
    Q_EMIT itemRemoved(row);
    closeIdleWorkers();
}

void TransferQueue::restart(int id)
{
    const int row = indexOf(id);
    if (row < 0 || m_items.at(row).state != QueueItem::State::Stopped ||
        m_items.at(row).awaitingLogin)
        return;
    QueueItem &item = m_items[row];
    item.state = QueueItem::State::Waiting;
    item.resume = true;
    item.notBefore = QDateTime();
    Q_EMIT itemChanged(row);
    pump();
}

void TransferQueue::adoptLogin(const std::shared_ptr<const QueueSite> &site)
{
    for (int row = 0; row < m_items.size(); ++row) {
        QueueItem &item = m_items[row];
        if (!item.awaitingLogin || !item.site->sameServer(*site))
            continue;
        item.awaitingLogin = false;
        item.site = site;
        item.state = QueueItem::State::Waiting;
        Q_EMIT itemChanged(row);
    }
    pump();
}

void TransferQueue::pump()
{
    // A conflict question runs a nested loop, and so may a finished signal's
    // receiver: items are started by one pump at a time.
    if (m_pumping)
        return;
    m_pumping = true;
    while (runningCount() < m_limit && startNext()) {
    }
    m_pumping = false;
    closeIdleWorkers();
    // Wake for the earliest item that waits for its time.
    qint64 wait = -1;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QueueItem &item : std::as_const(m_items))
        if (item.state == QueueItem::State::Waiting && item.notBefore.isValid()) {
            const qint64 ms = std::max<qint64>(0, now.msecsTo(item.notBefore)) + 1;
            wait = wait < 0 ? ms : std::min(wait, ms);
        }
    if (wait >= 0)
        m_wake.start(int(wait));
}

bool TransferQueue::startNext()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int row = 0; row < m_items.size(); ++row) {
        QueueItem &item = m_items[row];
        if (item.state != QueueItem::State::Waiting ||
            (item.notBefore.isValid() && item.notBefore > now))
            continue;
        const auto cap = m_serverCap.find(serverKey(*item.site));
        if (cap != m_serverCap.end() && connectionsTo(*item.site) >= cap->second)
            continue;
        const int id = item.id;
        if (!item.decided) {
            item.decided = true;
            // The question runs a nested loop in which items may come and
            // go: it is put on a copy, and the item found again afterwards.
            QueueItem asked = item;
            const bool go = !m_beforeStart || m_beforeStart(asked);
            const int at = indexOf(id);
            if (at < 0)
                return true;
            if (!go) {
                // Skipped: nothing was done, so nothing is recorded.
                m_items.removeAt(at);
                Q_EMIT itemRemoved(at);
                return true;
            }
            m_items[at].resume = asked.resume;
            // Stopped or started meanwhile: no longer this pump's to start.
            if (m_items.at(at).state != QueueItem::State::Waiting)
                return true;
        }
        const int at = indexOf(id);
        if (at < 0)
            return true;
        QueueItem &ready = m_items[at];
        Connection &connection = connectionFor(ready.site);
        connection.itemId = id;
        ready.state = QueueItem::State::Running;
        ready.bytesPerSecond = 0;
        m_speedMarks[id] = {ready.done, m_clock.elapsed()};
        Q_EMIT itemChanged(at);
        connection.worker->start(
            {id, ready.upload, ready.folder, ready.resume, ready.localPath, ready.remotePath});
        return true;
    }
    return false;
}

TransferQueue::Connection &
TransferQueue::connectionFor(const std::shared_ptr<const QueueSite> &site)
{
    for (Connection &connection : m_connections)
        if (connection.itemId == 0 && connection.worker->site() == site)
            return connection;
    // A connection of another site that idles makes room for this one.
    const auto idle = std::find_if(m_connections.begin(), m_connections.end(),
                                   [](const Connection &c) { return c.itemId == 0; });
    if (idle != m_connections.end())
        m_connections.erase(idle);
    auto worker = std::make_unique<QueueWorker>(site, m_rateLimits);
    QueueWorker *raw = worker.get();
    connect(raw, &QueueWorker::progress, this, &TransferQueue::onProgress);
    connect(
        raw, &QueueWorker::finished, this,
        [this, raw](int id, int error, const QString &description, bool connecting, bool verified) {
            onFinished(raw, id, error, description, connecting, verified);
        });
    m_connections.push_back({std::move(worker), 0});
    return m_connections.back();
}

void TransferQueue::onProgress(int id, qint64 bytes, qint64 total)
{
    const int row = indexOf(id);
    if (row < 0)
        return;
    QueueItem &item = m_items[row];
    item.done = bytes;
    if (total >= 0)
        item.size = total;
    // The speed over the last second or so, not since the start: a resumed
    // item would otherwise count the bytes it had before.
    auto &[markBytes, markTime] = m_speedMarks[id];
    const qint64 now = m_clock.elapsed();
    if (now - markTime >= 1000 || bytes < markBytes) {
        item.bytesPerSecond = bytes < markBytes ? 0 : (bytes - markBytes) * 1000 / (now - markTime);
        markBytes = bytes;
        markTime = now;
    }
    Q_EMIT itemChanged(row);
}

void TransferQueue::onFinished(QueueWorker *worker, int id, int error, const QString &description,
                               bool connecting, bool verified)
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->worker.get() != worker)
            continue;
        it->itemId = 0;
        // A connection that could not log in is of no further use.
        if (connecting)
            m_connections.erase(it);
        break;
    }
    const int row = indexOf(id);
    if (row < 0) {
        pump();
        return;
    }
    QueueItem &item = m_items[row];
    item.bytesPerSecond = 0;
    item.verified = verified;
    if (connecting && tooManyConnections(error, description)) {
        // The server holds as many of our connections as it takes: this
        // item waits for one of them, without losing a try.
        const QString key = serverKey(*item.site);
        m_serverCap[key] = std::max(1, connectionsTo(*item.site));
        item.state = QueueItem::State::Waiting;
        item.notBefore = QDateTime::currentDateTimeUtc().addMSecs(RetryDelayMs);
        Q_EMIT itemChanged(row);
    } else if (error == RemoteErrorCode::StoppedByUser) {
        item.state = QueueItem::State::Stopped;
        Q_EMIT itemChanged(row);
    } else if (error != 0 && worthRetrying(error) && item.retries < MaxRetries) {
        scheduleRetry(item);
        Q_EMIT itemChanged(row);
    } else {
        finishItem(row, error, description);
    }
    pump();
}

void TransferQueue::scheduleRetry(QueueItem &item)
{
    ++item.retries;
    item.state = QueueItem::State::Waiting;
    item.resume = true;
    item.notBefore = QDateTime::currentDateTimeUtc().addMSecs(RetryDelayMs);
}

void TransferQueue::finishItem(int row, int error, const QString &description)
{
    const QueueItem item = m_items.takeAt(row);
    m_speedMarks.erase(item.id);
    Q_EMIT itemRemoved(row);
    Q_EMIT itemFinished(item, error, description);
}

void TransferQueue::closeIdleWorkers()
{
    // An idle connection stays while an item of its site still waits.
    std::erase_if(m_connections, [this](const Connection &connection) {
        if (connection.itemId != 0)
            return false;
        return std::none_of(m_items.cbegin(), m_items.cend(), [&connection](const QueueItem &item) {
            return item.state == QueueItem::State::Waiting &&
                   item.site == connection.worker->site();
        });
    });
    if (m_items.isEmpty())
        m_serverCap.clear();
}
