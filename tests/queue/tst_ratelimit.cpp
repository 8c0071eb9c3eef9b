// Speed limits against pyftpdlib and sshd. Only lower bounds time the limit:
// a transfer done sooner than its bytes allow broke it. The upper bounds are
// wide: a stop ends at once, a lifted limit holds nothing back.

#include "fixtures/PyFtpdServer.h"
#include "fixtures/SshdServer.h"
#include "fixtures/TestFiles.h"
#include "queue/TransferQueue.h"
#include "remote/RateLimit.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/factory/RemoteSessions.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {
constexpr qint64 Total = 2 * 1024 * 1024;
// What happens half a second in: nothing, StopTransfer, the limit set to 0.
enum Then
{
    Nothing,
    Stop,
    Lift
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
    QTest::addColumn<int>("kib");   // KiB/s
    QTest::addColumn<int>("then");
    QTest::addColumn<int>("atLeastMs"); // from the start
    QTest::addColumn<int>("atMostMs");  // from the start, or from the stop; 0: none

    const auto row = [](const char *name, const char *protocol, bool upload, int files, int kib,
                        Then then, int atLeast, int atMost) {
        QTest::newRow(name) << QString::fromLatin1(protocol) << upload << files << kib << int(then)
                            << atLeast << atMost;
    };
    row("FTP download", "ftp", false, 1, 512, Nothing, 3500, 0);
    row("FTP upload", "ftp", true, 1, 512, Nothing, 3500, 0);
    row("SFTP download", "sftp", false, 1, 512, Nothing, 3500, 0);
    row("SFTP upload", "sftp", true, 1, 512, Nothing, 3500, 0);
    row("two queued FTP downloads share it", "ftp", false, 2, 512, Nothing, 3500, 0);
    row("two queued SFTP uploads share it", "sftp", true, 2, 512, Nothing, 3500, 0);
    row("0 is no limit", "ftp", false, 1, 0, Nothing, 0, 3000);
    row("a stop ends a limited FTP download within a second", "ftp", false, 1, 64, Stop, 0, 1000);
    row("a stop ends a limited SFTP upload within a second", "sftp", true, 1, 64, Stop, 0, 1000);
    // 2 MiB at 64 KiB/s would take half a minute.
    row("lifted, it no longer holds a running download", "ftp", false, 1, 64, Lift, 0, 10000);
}

void TestRateLimit::limits()
{
    QFETCH(QString, protocol);
    QFETCH(bool, upload);
    QFETCH(int, files);
    QFETCH(int, kib);
    QFETCH(int, then);
    QFETCH(int, atLeastMs);
    QFETCH(int, atMostMs);
    const bool sftp = protocol == QLatin1String("sftp");
    if (sftp && !SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));

    QTemporaryDir serverRoot, localRoot;
    const QString from = upload ? localRoot.path() : serverRoot.path();
    const QString to = upload ? serverRoot.path() : localRoot.path();
    for (int i = 0; i < files; ++i)
        QVERIFY(TestFiles::write(from + QStringLiteral("/报告 %1.bin").arg(i),
                                 TestFiles::pattern(Total / files, i)));
    auto site = std::make_shared<QueueSite>();
    std::optional<SshdServer> sshd;
    std::optional<PyFtpdServer> ftp;
    if (sftp) {
        sshd.emplace(serverRoot.path());
        QVERIFY2(sshd->start(), qPrintable(sshd->error()));
        site->protocol = RemoteProtocol::Sftp;
        site->settings.trustedHostKeys = {sshd->hostKeyFingerprint()};
        site->login = {sshd->host(), SshdServer::user(), SshdServer::password(), {}, sshd->port()};
    } else {
        ftp.emplace(serverRoot.path());
        QVERIFY2(ftp->start(), qPrintable(ftp->error()));
        site->login = {ftp->host(), ftp->user(), ftp->password(), {}, ftp->port()};
    }
    // sshd serves the real file system; pyftpdlib shows its root as "/".
    const QString remoteRoot = sftp ? serverRoot.path() : QString();

    const RemoteRateLimits limits{std::make_shared<RateLimit>(), std::make_shared<RateLimit>()};
    RateLimit &limit = upload ? *limits.upload : *limits.download;
    limit.setRate(qint64(kib) * 1024);
    // The other direction's is the opposite: were the two mixed up, a
    // limited transfer would run free and a free one crawl.
    (upload ? *limits.download : *limits.upload).setRate(kib == 0 ? 64 * 1024 : 0);

    QElapsedTimer clock;
    qint64 stoppedAt = -1;
    int number = 0;
    if (files == 1) {
        const std::unique_ptr<RemoteSession> session = RemoteSessions::make(site->protocol);
        session->setSettings(site->settings);
        session->setRateLimits(limits);
        const RemoteLogin &login = site->login;
        session->OpenConnection(login.host, login.user, login.password, {}, login.port);
        QTimer::singleShot(500, session.get(), [&] {
            stoppedAt = clock.elapsed();
            if (then == Stop)
                session->StopTransfer();
            else if (then == Lift)
                limit.setRate(0);
        });
        clock.start();
        const QString name = QStringLiteral("/报告 0.bin");
        qint64 offset = 0;
        try {
            if (upload)
                session->UploadFile(remoteRoot + name, localRoot.path() + name, offset);
            else
                session->DownloadFile(remoteRoot + name, localRoot.path() + name, offset);
        } catch (const RemoteError &failure) {
            number = failure.number;
        }
    } else {
        TransferQueue queue;
        queue.setLimit(files);
        queue.setRateLimits(limits);
        int finished = 0;
        connect(&queue, &TransferQueue::itemFinished, this, [&](const QueueItem &, int outcome) {
            number = qMax(number, outcome);
            ++finished;
        });
        clock.start();
        for (int i = 0; i < files; ++i) {
            QueueItem item;
            item.upload = upload;
            item.localPath = localRoot.path() + QStringLiteral("/报告 %1.bin").arg(i);
            item.remotePath = remoteRoot + QStringLiteral("/报告 %1.bin").arg(i);
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
    QVERIFY2(elapsed >= atLeastMs && (atMostMs == 0 || elapsed <= atMostMs),
             qPrintable(QString::number(elapsed)));
    for (int i = 0; i < files; ++i)
        QVERIFY(TestFiles::read(to + QStringLiteral("/报告 %1.bin").arg(i)) ==
                TestFiles::pattern(Total / files, i));
}

QTEST_GUILESS_MAIN(TestRateLimit)
#include "tst_ratelimit.moc"
