// The transfer queue's rules against pyftpdlib with throttled data
// connections, so that its items really overlap.

#include "fixtures/PyFtpdServer.h"
#include "queue/QueueStore.h"
#include "queue/TransferQueue.h"
#include "remote/RemoteCodes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
constexpr qint64 FileSize = 192 * 1024;
// What follows the stop of every item (the column afterStop).
constexpr int None = 0;
constexpr int Restart = 1;
constexpr int Restore = 2;
constexpr int Throttle = 64 * 1024; // bytes a second per data connection

QByteArray content(const QString &name)
{
    QByteArray bytes(FileSize, Qt::Uninitialized);
    const uint seed = qHash(name);
    for (qint64 i = 0; i < FileSize; ++i)
        bytes[i] = char((i * 131 + seed) >> 3);
    return bytes;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestTransferQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rules_data();
    void rules();
};

void TestTransferQueue::rules_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("upload");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("serverTakes");    // control connections; 0 any number
    QTest::addColumn<QString>("breakFirst"); // downloads that break off once
    // Once every item runs, they are stopped; then started again, or
    // stored and read back by the queue of the next run.
    QTest::addColumn<int>("afterStop");
    QTest::addColumn<QStringList>("failed"); // the rest arrive byte-exact
    QTest::addColumn<int>("error");          // of the failed ones
    QTest::addColumn<int>("overlap");        // most items moving data at once
    QTest::addColumn<int>("retries");

    const QStringList four = {"a.bin", "Music [FLAC].bin", "报告.bin", "trailing .bin"};
    QTest::newRow("in order, two at a time")
        << four << false << 2 << 0 << QString() << None << QStringList() << 0 << 2 << 0;
    QTest::newRow("uploads too") << four.mid(0, 3) << true << 3 << 0 << QString() << None
                                 << QStringList() << 0 << 3 << 0;
    QTest::newRow("four asked of a server that takes two: nothing fails")
        << four << false << 4 << 2 << QString() << None << QStringList() << 0 << 2 << 0;
    QTest::newRow("a broken download is tried again and resumes")
        << QStringList{"flaky.bin", "b.bin"} << false << 2 << 0 << QString("flaky") << None
        << QStringList() << 0 << 1 << 1;
    QTest::newRow("a refusal is final")
        << QStringList{"missing.bin", "b.bin"} << false << 2 << 0 << QString() << None
        << QStringList{"missing.bin"} << 550 << 2 << 0;
    QTest::newRow("stopped, started again: resumes, asked once")
        << QStringList{"a.bin", "b.bin"} << false << 2 << 0 << QString() << Restart << QStringList()
        << 0 << 2 << 0;
    QTest::newRow("stopped at exit, read back at the next start: resumes after the log-in")
        << QStringList{"a.bin", "报告.bin"} << false << 2 << 0 << QString() << Restore
        << QStringList() << 0 << 2 << 0;
}

void TestTransferQueue::rules()
{
    QFETCH(QStringList, names);
    QFETCH(bool, upload);
    QFETCH(int, limit);
    QFETCH(int, serverTakes);
    QFETCH(QString, breakFirst);
    QFETCH(int, afterStop);
    QFETCH(QStringList, failed);
    QFETCH(int, error);
    QFETCH(int, overlap);
    QFETCH(int, retries);

    QTemporaryDir serverRoot;
    QTemporaryDir localRoot;
    const QString from = upload ? localRoot.path() : serverRoot.path();
    for (const QString &name : names)
        if (!failed.contains(name))
            QVERIFY(write(from + '/' + name, content(name)));

    PyFtpdServer server(serverRoot.path());
    server.setThrottle(Throttle);
    server.setMaxConnections(serverTakes);
    server.breakFirstDownloadOf(breakFirst);
    QVERIFY2(server.start(), qPrintable(server.error()));
    auto site = std::make_shared<QueueSite>();
    site->login = {server.host(), server.user(), server.password(), QString(), server.port()};

    auto queue = std::make_unique<TransferQueue>();
    int asked = 0;
    // When each item last started and when it finished: the data
    // connections come in bursts, so overlap is judged by the times.
    QElapsedTimer clock;
    clock.start();
    QStringList started;
    QMap<int, qint64> startedAt;
    QList<std::pair<qint64, qint64>> spans;
    bool stopping = false;
    QMap<QString, int> outcome;
    QMap<QString, qint64> sizes; // as the record row shows them
    int retried = 0;
    const auto wire = [&](TransferQueue &q) {
        q.setLimit(limit);
        q.setBeforeStart([&asked](QueueItem &) { return ++asked > 0; });
        connect(&q, &TransferQueue::itemChanged, this, [&](int row) {
            const QueueItem &item = q.items().at(row);
            // Whatever leaves Running without finishing starts its span anew.
            if (item.state != QueueItem::State::Running) {
                startedAt.remove(item.id);
                return;
            }
            if (startedAt.contains(item.id))
                return;
            startedAt[item.id] = clock.elapsed();
            if (!started.contains(item.name()))
                started.append(item.name());
            if (afterStop != None && !stopping && q.runningCount() == names.size()) {
                stopping = true;
                QTimer::singleShot(700, &q, &TransferQueue::stopAll);
            }
        });
        connect(&q, &TransferQueue::itemFinished, this,
                [&](const QueueItem &item, int number, const QString &) {
                    outcome[item.name()] = number;
                    sizes[item.name()] = item.size;
                    retried += item.retries;
                    spans.append({startedAt.value(item.id), clock.elapsed()});
                });
    };
    wire(*queue);

    for (const QString &name : names) {
        QueueItem item;
        item.upload = upload;
        item.localPath = localRoot.path() + '/' + name;
        item.remotePath = '/' + name;
        item.size = FileSize;
        item.site = site;
        queue->add(item);
    }
    QMap<QString, QByteArray> expected;
    for (const QString &name : names)
        expected[name] = content(name);
    if (afterStop != None) {
        QTRY_VERIFY_WITH_TIMEOUT(stopping && queue->runningCount() == 0, 20000);
        for (const QueueItem &item : queue->items()) {
            QCOMPARE(item.state, QueueItem::State::Stopped);
            // What is kept is not fetched again: a mark in it stays.
            QFile partial(item.localPath);
            QVERIFY(partial.open(QIODevice::ReadWrite));
            QVERIFY(partial.size() > 0 && partial.size() < FileSize);
            partial.write("#");
            expected[item.name()][0] = '#';
        }
    }
    if (afterStop == Restart) {
        const QVector<QueueItem> stopped = queue->items();
        for (const QueueItem &item : stopped)
            queue->restart(item.id);
    } else if (afterStop == Restore) {
        const QString path = localRoot.path() + "/data/queue.db";
        {
            QueueStore store(path);
            QVERIFY(store.save(queue->items()));
        }
        queue = std::make_unique<TransferQueue>();
        wire(*queue);
        const QFile::Permissions others =
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFile::permissions(path) & others, QFile::Permissions());
        QVERIFY(!read(path).contains(server.password().toUtf8()));
        QueueStore store(path);
        for (QueueItem item : store.load()) {
            item.awaitingLogin = true;
            queue->add(item);
        }
        QCOMPARE(queue->items().size(), names.size());
        // Without the password nothing can start, not even on request.
        queue->restart(queue->items().constFirst().id);
        QTest::qWait(200);
        QCOMPARE(queue->runningCount(), 0);
        queue->adoptLogin(site);
    }
    QTRY_COMPARE_WITH_TIMEOUT(outcome.size(), names.size(), 60000);

    QCOMPARE(queue->items().size(), 0);
    int most = 0;
    for (const auto &span : spans) {
        int together = 0;
        for (const auto &other : spans)
            together += other.first <= span.first && span.first < other.second;
        most = std::max(most, together);
    }
    QCOMPARE(most, overlap);
    QCOMPARE(retried, retries);
    QCOMPARE(asked, int(names.size()));
    QCOMPARE(started, names);
    const QString to = upload ? serverRoot.path() : localRoot.path();
    for (const QString &name : names) {
        QCOMPARE(outcome.value(name), failed.contains(name) ? error : 0);
        if (failed.contains(name))
            continue;
        QVERIFY2(read(to + '/' + name) == expected.value(name), qPrintable(name));
        QCOMPARE(sizes.value(name), FileSize);
    }
}

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "tst_transferqueue.moc"
