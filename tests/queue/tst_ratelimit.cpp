// Speed limits against real servers: pyftpdlib (plain and TLS) and sshd.
// Only lower bounds are timed: a transfer that ends sooner than its bytes
// allow broke the limit. The upper bounds are a stop ending at once and an
// unlimited transfer not being held back, each by a wide margin.

#include "fixtures/PyFtpdServer.h"
#include "fixtures/SshdServer.h"
#include "fixtures/TestCertificate.h"
#include "queue/TransferQueue.h"
#include "remote/RateLimit.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/factory/RemoteSessions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {
constexpr qint64 Total = 2 * 1024 * 1024;

enum Then
{
    Nothing,
    Stop, // StopTransfer half a second in
    Lift, // the limit set to 0 half a second in
};

QByteArray content(qint64 size, uint seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
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

// One of the servers, and how a session reaches it.
struct Server
{
    std::optional<PyFtpdServer> ftp;
    std::optional<SshdServer> sshd;
    TestCertificate certificate;
    QueueSite site;

    bool start(const QString &protocol, const QString &root, const QString &scratch, QString &error)
    {
        if (protocol == QLatin1String("sftp")) {
            sshd.emplace(root);
            site.protocol = RemoteProtocol::Sftp;
            if (!sshd->start())
                return error = sshd->error(), false;
            site.settings.trustedHostKeys = {sshd->hostKeyFingerprint()};
            site.login = {
                sshd->host(), SshdServer::user(), SshdServer::password(), {}, sshd->port()};
            return true;
        }
        ftp.emplace(root);
        if (protocol == QLatin1String("ftps")) {
            if (!certificate.make(scratch, QStringLiteral("limit")))
                return error = certificate.error(), false;
            ftp->setTls(PyFtpdServer::Tls::ExplicitRequired, certificate);
            site.settings.encryption = 2;
            site.trustedCertificates = {certificate.fingerprint()};
        }
        if (!ftp->start())
            return error = ftp->error(), false;
        site.login = {ftp->host(), ftp->user(), ftp->password(), {}, ftp->port()};
        return true;
    }
};
} // namespace

class TestRateLimit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void limits_data();
    void limits();
};

void TestRateLimit::limits_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("upload");
    QTest::addColumn<int>("files"); // 1: the browsing session; 2: queue items at once
    QTest::addColumn<int>("kibPerSecond");
    QTest::addColumn<int>("then");
    QTest::addColumn<int>("atLeastMs"); // from the start
    QTest::addColumn<int>("atMostMs");  // from the start, or from the stop; 0: no bound

    QTest::newRow("FTP download at 512 KiB/s")
        << "ftp" << false << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("FTP upload at 512 KiB/s")
        << "ftp" << true << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("FTP download over TLS")
        << "ftps" << false << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("FTP upload over TLS") << "ftps" << true << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("SFTP download at 512 KiB/s")
        << "sftp" << false << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("SFTP upload at 512 KiB/s")
        << "sftp" << true << 1 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("two queued FTP downloads share the limit")
        << "ftp" << false << 2 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("two queued SFTP uploads share the limit")
        << "sftp" << true << 2 << 512 << int(Nothing) << 3500 << 0;
    QTest::newRow("0 is no limit") << "ftp" << false << 1 << 0 << int(Nothing) << 0 << 3000;
    QTest::newRow("0 is no limit, SFTP upload")
        << "sftp" << true << 1 << 0 << int(Nothing) << 0 << 3000;
    QTest::newRow("a stop ends a limited FTP download within a second")
        << "ftp" << false << 1 << 64 << int(Stop) << 0 << 1000;
    QTest::newRow("a stop ends a limited FTP upload within a second")
        << "ftp" << true << 1 << 64 << int(Stop) << 0 << 1000;
    QTest::newRow("a stop ends a limited SFTP download within a second")
        << "sftp" << false << 1 << 64 << int(Stop) << 0 << 1000;
    QTest::newRow("a stop ends a limited SFTP upload within a second")
        << "sftp" << true << 1 << 64 << int(Stop) << 0 << 1000;
    // 2 MiB at 64 KiB/s would take half a minute.
    QTest::newRow("a limit lifted applies to the running FTP download")
        << "ftp" << false << 1 << 64 << int(Lift) << 0 << 10000;
    QTest::newRow("a limit lifted applies to the running SFTP upload")
        << "sftp" << true << 1 << 64 << int(Lift) << 0 << 10000;
}

void TestRateLimit::limits()
{
    QFETCH(QString, protocol);
    QFETCH(bool, upload);
    QFETCH(int, files);
    QFETCH(int, kibPerSecond);
    QFETCH(int, then);
    QFETCH(int, atLeastMs);
    QFETCH(int, atMostMs);
    if (protocol == QLatin1String("sftp") && !SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));

    QTemporaryDir serverRoot;
    QTemporaryDir localRoot;
    QTemporaryDir scratch;
    QStringList names;
    for (int i = 0; i < files; ++i)
        names.append(QStringLiteral("报告 %1.bin").arg(i));
    const QString from = upload ? localRoot.path() : serverRoot.path();
    const QString to = upload ? serverRoot.path() : localRoot.path();
    for (int i = 0; i < files; ++i)
        QVERIFY(write(from + '/' + names[i], content(Total / files, uint(i))));
    Server server;
    QString error;
    QVERIFY2(server.start(protocol, serverRoot.path(), scratch.path(), error), qPrintable(error));
    // sshd serves the real file system; pyftpdlib shows its root as "/".
    const QString remoteRoot = protocol == QLatin1String("sftp") ? serverRoot.path() : QString();

    const RemoteRateLimits limits{std::make_shared<RateLimit>(), std::make_shared<RateLimit>()};
    RateLimit &limit = upload ? *limits.upload : *limits.download;
    limit.setRate(qint64(kibPerSecond) * 1024);
    // The other direction's limit is the opposite: were the two mixed up,
    // a limited transfer would run free and a free one crawl.
    (upload ? *limits.download : *limits.upload).setRate(kibPerSecond == 0 ? 64 * 1024 : 0);

    QElapsedTimer clock;
    clock.start();
    qint64 stoppedAt = -1;
    int number = 0;
    if (files == 1) {
        const std::unique_ptr<RemoteSession> session = RemoteSessions::make(server.site.protocol);
        session->setSettings(server.site.settings);
        session->setRateLimits(limits);
        session->setQuestion([](const RemoteQuestion &) {
            RemoteAnswer answer;
            answer.trust = RemoteTrust::Once;
            return answer;
        });
        const RemoteLogin &login = server.site.login;
        session->OpenConnection(login.host, login.user, login.password, {}, login.port);
        QTimer::singleShot(500, session.get(), [&] {
            if (then == Stop) {
                stoppedAt = clock.elapsed();
                session->StopTransfer();
            } else if (then == Lift) {
                limit.setRate(0);
            }
        });
        clock.restart();
        try {
            const QString remote = remoteRoot + '/' + names[0];
            const QString local = localRoot.path() + '/' + names[0];
            qint64 offset = 0;
            if (upload)
                session->UploadFile(remote, local, offset);
            else
                session->DownloadFile(remote, local, offset);
        } catch (const RemoteError &failure) {
            number = failure.number;
        }
    } else {
        auto site = std::make_shared<QueueSite>(server.site);
        TransferQueue queue;
        queue.setLimit(files);
        queue.setRateLimits(limits);
        int finished = 0;
        connect(&queue, &TransferQueue::itemFinished, this,
                [&](const QueueItem &, int outcome, const QString &) {
                    ++finished;
                    number = qMax(number, outcome);
                });
        clock.restart();
        for (const QString &name : names) {
            QueueItem item;
            item.upload = upload;
            item.localPath = localRoot.path() + '/' + name;
            item.remotePath = remoteRoot + '/' + name;
            item.site = site;
            queue.add(item);
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished, files, 60000);
    }
    const qint64 elapsed = clock.elapsed();

    if (then == Stop) {
        QCOMPARE(number, RemoteErrorCode::StoppedByUser);
        QVERIFY2(elapsed - stoppedAt <= atMostMs, qPrintable(QString::number(elapsed - stoppedAt)));
        return;
    }
    QCOMPARE(number, 0);
    QVERIFY2(elapsed >= atLeastMs, qPrintable(QString::number(elapsed)));
    if (atMostMs > 0)
        QVERIFY2(elapsed <= atMostMs, qPrintable(QString::number(elapsed)));
    for (int i = 0; i < files; ++i)
        QVERIFY(read(to + '/' + names[i]) == content(Total / files, uint(i)));
}

QTEST_GUILESS_MAIN(TestRateLimit)
#include "tst_ratelimit.moc"
