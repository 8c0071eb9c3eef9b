// The transfer queue's rules against pyftpdlib with throttled data
// connections, so that its items really overlap.

#include "fixtures/PyFtpdServer.h"
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
    QTest::addColumn<bool>("stopAndRestart");
    QTest::addColumn<QStringList>("failed"); // the rest arrive byte-exact
    QTest::addColumn<int>("error");          // of the failed ones
    QTest::addColumn<int>("overlap");        // most items moving data at once
    QTest::addColumn<int>("retries");

    const QStringList four = {"a.bin", "Music [FLAC].bin", "报告.bin", "trailing .bin"};
    QTest::newRow("in order, two at a time")
        << four << false << 2 << 0 << QString() << false << QStringList() << 0 << 2 << 0;
    QTest::newRow("uploads too") << four.mid(0, 3) << true << 3 << 0 << QString() << false
                                 << QStringList() << 0 << 3 << 0;
    QTest::newRow("four asked of a server that takes two: nothing fails")
        << four << false << 4 << 2 << QString() << false << QStringList() << 0 << 2 << 0;
    QTest::newRow("a broken download is tried again and resumes")
        << QStringList{"flaky.bin", "b.bin"} << false << 2 << 0 << QString("flaky") << false
        << QStringList() << 0 << 1 << 1;
    QTest::newRow("a refusal is final")
        << QStringList{"missing.bin", "b.bin"} << false << 2 << 0 << QString() << false
        << QStringList{"missing.bin"} << 550 << 2 << 0;
    QTest::newRow("stopped, started again: resumes, asked once")
        << QStringList{"a.bin", "b.bin"} << false << 2 << 0 << QString() << true << QStringList()
        << 0 << 2 << 0;
}

void TestTransferQueue::rules()
{
    QFETCH(QStringList, names);
    QFETCH(bool, upload);
    QFETCH(int, limit);
    QFETCH(int, serverTakes);
    QFETCH(QString, breakFirst);
    QFETCH(bool, stopAndRestart);
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

    TransferQueue queue;
    queue.setLimit(limit);
    int asked = 0;
    queue.setBeforeStart([&asked](QueueItem &) { return ++asked > 0; });
    // When each item last started and when it finished: the data
    // connections come in bursts, so overlap is judged by the times.
    QElapsedTimer clock;
    clock.start();
    QStringList started;
    QMap<int, qint64> startedAt;
    QList<std::pair<qint64, qint64>> spans;
    bool stopping = false;
    connect(&queue, &TransferQueue::itemChanged, this, [&](int row) {
        const QueueItem &item = queue.items().at(row);
        if (item.state != QueueItem::State::Running || startedAt.value(item.id) > 0)
            return;
        startedAt[item.id] = clock.elapsed() + 1;
        if (!started.contains(item.name()))
            started.append(item.name());
        if (stopAndRestart && !stopping && queue.runningCount() == names.size()) {
            stopping = true;
            QTimer::singleShot(700, &queue, &TransferQueue::stopAll);
        }
    });
    QMap<QString, int> outcome;
    int retried = 0;
    connect(&queue, &TransferQueue::itemFinished, this,
            [&](const QueueItem &item, int number, const QString &) {
                outcome[item.name()] = number;
                retried += item.retries;
                spans.append({startedAt.value(item.id), clock.elapsed()});
            });
    // Whatever left Running without finishing starts its span anew.
    connect(&queue, &TransferQueue::itemChanged, this, [&](int row) {
        const QueueItem &item = queue.items().at(row);
        if (item.state != QueueItem::State::Running)
            startedAt.remove(item.id);
    });

    for (const QString &name : names) {
        QueueItem item;
        item.upload = upload;
        item.localPath = localRoot.path() + '/' + name;
        item.remotePath = '/' + name;
        item.size = FileSize;
        item.site = site;
        queue.add(item);
    }
    QMap<QString, QByteArray> expected;
    for (const QString &name : names)
        expected[name] = content(name);
    if (stopAndRestart) {
        QTRY_VERIFY_WITH_TIMEOUT(stopping && queue.runningCount() == 0, 20000);
        for (const QueueItem &item : queue.items()) {
            QCOMPARE(item.state, QueueItem::State::Stopped);
            // What is kept is not fetched again: a mark in it stays.
            QFile partial(item.localPath);
            QVERIFY(partial.open(QIODevice::ReadWrite));
            QVERIFY(partial.size() > 0 && partial.size() < FileSize);
            partial.write("#");
            expected[item.name()][0] = '#';
        }
        const QVector<QueueItem> waiting = queue.items();
        for (const QueueItem &item : waiting)
            queue.restart(item.id);
    }
    QTRY_COMPARE_WITH_TIMEOUT(outcome.size(), names.size(), 60000);

    QCOMPARE(queue.items().size(), 0);
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
        if (!failed.contains(name))
            QVERIFY2(read(to + '/' + name) == expected.value(name), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "tst_transferqueue.moc"
