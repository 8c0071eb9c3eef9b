#include "FtpServerSuite.h"
#include "SessionRecorder.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"

#include <QFileInfo>
#include <QTest>
#include <memory>

// FtpSession against pyftpdlib: the MLSD server.
class TestFtpPyftpd : public FtpServerSuite
{
    Q_OBJECT

protected:
    bool startServer(const QString &root, QString &why) override
    {
        m_server = std::make_unique<PyFtpdServer>(root);
        if (m_server->start())
            return true;
        why = m_server->error();
        return false;
    }
    QString host() const override { return m_server->host(); }
    quint16 port() const override { return m_server->port(); }
    QString user() const override { return m_server->user(); }
    QString password() const override { return m_server->password(); }
    QString refusedUser() const override { return m_server->user(); }
    QString remoteArea() const override { return QStringLiteral("/"); }
    QString localArea() const override { return m_server->root(); }
    int listingFormat() const override { return FtpListingFormat::Mlsd; }
    // MLSD follows links.
    QString linkKind() const override { return QStringLiteral("-"); }

private Q_SLOTS:
    void handlesFiveGigabyteFiles();
    void worksOverIpv6();
    void stopsTreeCopyFromHandler();
    void convertsLineEndsInAsciiMode();

private:
    std::unique_ptr<PyFtpdServer> m_server;
};

void TestFtpPyftpd::handlesFiveGigabyteFiles()
{
    // Sparse files: only the last megabyte takes room or moves.
    constexpr qint64 size = 5LL * 1024 * 1024 * 1024 + 17;
    constexpr qint64 tail = 1024 * 1024;
    const QByteArray end = TestFiles::pattern(tail, 7);
    QVERIFY(TestFiles::writeSparse(serverDisk() + QStringLiteral("/five.bin"), size, end));
    FtpSession session;
    FTP_VERIFY(connectSession(session));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    QCOMPARE(session.ListingEntries().entries.first().size, size);

    const QString local = clientDisk() + QStringLiteral("/five.bin");
    QVERIFY(TestFiles::writeSparse(local, size - tail));
    qint64 offset = size - tail;
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/five.bin"), local, offset));
    QCOMPARE(QFileInfo(local).size(), size);
    QCOMPARE(TestFiles::readAt(local, size - tail, tail), end);

    const QString onServer = serverDisk() + QStringLiteral("/up.bin");
    QVERIFY(TestFiles::writeSparse(onServer, size - tail));
    session.setUploadMode(FtpUploadMode::Resume);
    offset = size - tail;
    FTP_VERIFY(session.UploadFile(remoteDir() + QStringLiteral("/up.bin"), local, offset));
    QCOMPARE(QFileInfo(onServer).size(), size);
    QCOMPARE(TestFiles::readAt(onServer, size - tail, tail), end);
}

void TestFtpPyftpd::worksOverIpv6()
{
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/six.txt"), "over ipv6"));
    PyFtpdServer server(localArea(), QStringLiteral("::1"));
    if (!server.start())
        QSKIP(qPrintable(QStringLiteral("no IPv6 loopback: ") + server.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    FTP_VERIFY(session.OpenConnection(QStringLiteral("::1"), server.user(), server.password(), {},
                                      server.port()));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/six.txt"),
                                    clientDisk() + QStringLiteral("/six.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/six.txt")), QByteArray("over ipv6"));
    session.setPassiveMode(false);
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QVERIFY(recorder.anyTextContains(QStringLiteral("EPRT |2|")));
}

void TestFtpPyftpd::stopsTreeCopyFromHandler()
{
    for (int i = 0; i < 20; ++i)
        QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/tree/f%1.txt").arg(i), "data"));
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    const QString start = session.CurrentDirectory();
    int started = 0;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == FtpEvent::FileStarted && ++started == 3)
            session.StopTransfer();
    };
    FTP_EXPECT_ERROR(session.DownloadMany(remoteDir() + QStringLiteral("/tree/*"),
                                          clientDisk() + QStringLiteral("/tree")),
                     FtpErrorCode::StoppedByUser);
    QVERIFY(started < 20);
    QCOMPARE(session.ConnectionState(), FtpState::Connected);
    QCOMPARE(session.CurrentDirectory(), start);
}

void TestFtpPyftpd::convertsLineEndsInAsciiMode()
{
    // pyftpdlib sends text with CR LF in ASCII mode.
    const QByteArray text = QByteArray("one\ntwo\n\nlast").repeated(50000);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/text.txt"), text));
    FtpSession session;
    FTP_VERIFY(connectSession(session));
    session.setTransferSetting(FtpTransferSetting::Ascii);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/text.txt"),
                                    clientDisk() + QStringLiteral("/text.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/text.txt")), text);
    session.setTransferSetting(FtpTransferSetting::Binary);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/text.txt"),
                                    clientDisk() + QStringLiteral("/binary.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/binary.txt")), text);
}

QTEST_MAIN(TestFtpPyftpd)
#include "tst_ftp_pyftpd.moc"
