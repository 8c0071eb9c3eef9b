#include "ServerSuites.h"
#include "SessionRecorder.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTest>

// The suite against pyftpdlib, and what needs a server of the test's own making.
class TestFtpPyftpd : public PyFtpdSuite
{
    Q_OBJECT

private Q_SLOTS:
    void handlesFiveGigabyteFiles();
    void worksOverIpv6();
    void stopsTreeCopyFromHandler();
    void convertsLineEndsInAsciiMode();
    void keepsGbkNamesWithoutUtf8_data();
    void keepsGbkNamesWithoutUtf8();
    void decidesBeforeTheFirstNewName_data();
    void decidesBeforeTheFirstNewName();
    void followsTheSitesEncoding_data();
    void followsTheSitesEncoding();
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
    session.setUploadMode(RemoteUploadMode::Resume);
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
    // Enough files that the copy outlasts the time reports take to reach
    // the handler (they are collected every few milliseconds).
    constexpr int Files = 400;
    for (int i = 0; i < Files; ++i)
        QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/tree/f%1.txt").arg(i), "data"));
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    const QString start = session.CurrentDirectory();
    int started = 0;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == RemoteActivityKind::FileStarted && ++started == 3)
            session.StopTransfer();
    };
    FTP_EXPECT_ERROR(session.DownloadMany(remoteDir() + QStringLiteral("/tree/*"),
                                          clientDisk() + QStringLiteral("/tree")),
                     RemoteErrorCode::StoppedByUser);
    QVERIFY(started < Files);
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    QCOMPARE(session.CurrentDirectory(), start);
}

void TestFtpPyftpd::convertsLineEndsInAsciiMode()
{
    // pyftpdlib sends text with CR LF in ASCII mode.
    const QByteArray text = QByteArray("one\ntwo\n\nlast").repeated(50000);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/text.txt"), text));
    FtpSession session;
    FTP_VERIFY(connectSession(session));
    session.setTransferSetting(RemoteTransferSetting::Ascii);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/text.txt"),
                                    clientDisk() + QStringLiteral("/text.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/text.txt")), text);
    session.setTransferSetting(RemoteTransferSetting::Binary);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/text.txt"),
                                    clientDisk() + QStringLiteral("/binary.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/binary.txt")), text);
}

namespace {

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QStringList namesOf(const RemoteListing &listing)
{
    QStringList names;
    for (const RemoteEntry &entry : listing.entries)
        names.append(entry.name);
    names.sort();
    return names;
}

} // namespace

void TestFtpPyftpd::keepsGbkNamesWithoutUtf8_data()
{
    QTest::addColumn<bool>("mlsd");
    QTest::newRow("MLSD") << true;
    QTest::newRow("LIST") << false;
}

void TestFtpPyftpd::keepsGbkNamesWithoutUtf8()
{
    QFETCH(bool, mlsd);
    // "目录" in GBK happens to be valid UTF-8 ("Ŀ¼"); the other names tip the
    // connection to GBK, and it shows as what it is.
    const QByteArray disk = QFile::encodeName(serverDisk());
    const QByteArray folder = disk + '/' + gbk(QStringLiteral("目录"));
    QVERIFY(TestFiles::writeRaw(folder + '/' + gbk(QStringLiteral("中文文件.txt")), "gbk content"));
    QVERIFY(TestFiles::writeRaw(disk + '/' + gbk(QStringLiteral("说明.txt")), "readme"));
    PyFtpdServer server(serverDisk());
    server.serveRawNames(true);
    server.offerMlsd(mlsd);
    QVERIFY2(server.start(), qPrintable(server.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    FTP_VERIFY(
        session.OpenConnection(server.host(), server.user(), server.password(), {}, server.port()));
    QVERIFY(!recorder.anyTextContains(QStringLiteral("OPTS UTF8")));

    FTP_VERIFY(session.ListDirectory(QStringLiteral("/")));
    QCOMPARE(session.ListingEntries().format,
             mlsd ? RemoteListingFormat::Mlsd : RemoteListingFormat::Unix);
    QCOMPARE(namesOf(session.ListingEntries()),
             (QStringList{QStringLiteral("目录"), QStringLiteral("说明.txt")}));
    FTP_VERIFY(session.setCurrentDirectory(QStringLiteral("/目录")));
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/目录"));

    // Typed, listed, new: every name goes as GBK, byte for byte.
    FTP_VERIFY(session.DownloadFile(QStringLiteral("中文文件.txt"),
                                    clientDisk() + QStringLiteral("/got.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/got.txt")), QByteArray("gbk content"));
    QVERIFY(TestFiles::write(clientDisk() + QStringLiteral("/new.txt"), "new"));
    qint64 offset = 0;
    FTP_VERIFY(session.UploadFile(QStringLiteral("/目录/新文件.txt"),
                                  clientDisk() + QStringLiteral("/new.txt"), offset));
    QCOMPARE(TestFiles::readRaw(folder + '/' + gbk(QStringLiteral("新文件.txt"))),
             QByteArray("new"));
    FTP_VERIFY(session.MakeRemoteDirectory(QStringLiteral("/新建文件夹")));
    QVERIFY(TestFiles::existsRaw(disk + '/' + gbk(QStringLiteral("新建文件夹"))));
    FTP_VERIFY(session.RenameRemote(QStringLiteral("/说明.txt"), QStringLiteral("/说明二.txt")));
    QCOMPARE(TestFiles::readRaw(disk + '/' + gbk(QStringLiteral("说明二.txt"))),
             QByteArray("readme"));
    QVERIFY(recorder.anyTextContains(QStringLiteral("RNTO /说明二.txt")));

    const QString tree = clientDisk() + QStringLiteral("/tree");
    FTP_VERIFY(session.DownloadMany(QStringLiteral("/目录/*"), tree));
    QCOMPARE(TestFiles::read(tree + QStringLiteral("/中文文件.txt")), QByteArray("gbk content"));
    FTP_VERIFY(session.UploadMany(tree + QStringLiteral("/*"), QStringLiteral("/上传")));
    QCOMPARE(TestFiles::readRaw(disk + '/' + gbk(QStringLiteral("上传")) + '/' +
                                gbk(QStringLiteral("中文文件.txt"))),
             QByteArray("gbk content"));

    FTP_VERIFY(session.DeleteRemoteFile(QStringLiteral("新文件.txt")));
    QVERIFY(!TestFiles::existsRaw(folder + '/' + gbk(QStringLiteral("新文件.txt"))));
    FTP_VERIFY(session.RemoveRemoteDirectory(QStringLiteral("/新建文件夹")));
    QVERIFY(!TestFiles::existsRaw(disk + '/' + gbk(QStringLiteral("新建文件夹"))));
    TestFiles::removeTreeRaw(disk);
}

void TestFtpPyftpd::decidesBeforeTheFirstNewName_data()
{
    QTest::addColumn<bool>("gbkThere");
    QTest::newRow("GBK names in the folder") << true;
    QTest::newRow("plain ASCII names only") << false;
}

void TestFtpPyftpd::decidesBeforeTheFirstNewName()
{
    QFETCH(bool, gbkThere);
    const QByteArray disk = QFile::encodeName(serverDisk());
    QVERIFY(TestFiles::writeRaw(disk + "/plain.txt", "x"));
    if (gbkThere)
        QVERIFY(TestFiles::writeRaw(disk + '/' + gbk(QStringLiteral("资料")), "x"));
    PyFtpdServer server(serverDisk());
    server.serveRawNames(true);
    QVERIFY2(server.start(), qPrintable(server.error()));
    FtpSession session;
    session.setTimeoutMs(20000);
    FTP_VERIFY(
        session.OpenConnection(server.host(), server.user(), server.password(), {}, server.port()));
    // Nothing listed yet: the folder is listed first, its names decide.
    FTP_VERIFY(session.MakeRemoteDirectory(QStringLiteral("新建")));
    const QByteArray made =
        gbkThere ? gbk(QStringLiteral("新建")) : QStringLiteral("新建").toUtf8();
    QVERIFY(TestFiles::existsRaw(disk + '/' + made));
    FTP_VERIFY(session.ListDirectory());
    QVERIFY(namesOf(session.ListingEntries()).contains(QStringLiteral("新建")));
    TestFiles::removeTreeRaw(disk);
}

void TestFtpPyftpd::followsTheSitesEncoding_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("gbkServer");
    QTest::newRow("GBK site, nothing to go by") << int(RemoteNameEncoding::Gbk) << false;
    QTest::newRow("UTF-8 site on a GBK server") << int(RemoteNameEncoding::Utf8) << true;
}

void TestFtpPyftpd::followsTheSitesEncoding()
{
    QFETCH(int, encoding);
    QFETCH(bool, gbkServer);
    const QByteArray disk = QFile::encodeName(serverDisk());
    const QByteArray listed = gbk(QStringLiteral("资料.txt"));
    QVERIFY(TestFiles::writeRaw(disk + '/' + (gbkServer ? listed : QByteArray("plain.txt")),
                                "content"));
    PyFtpdServer server(serverDisk());
    server.serveRawNames(true);
    QVERIFY2(server.start(), qPrintable(server.error()));
    FtpSession session;
    session.setTimeoutMs(20000);
    session.setNameEncoding(encoding);
    FTP_VERIFY(
        session.OpenConnection(server.host(), server.user(), server.password(), {}, server.port()));
    // Changed after the log-in: the connection keeps what it started with.
    session.setNameEncoding(RemoteNameEncoding::Auto);
    FTP_VERIFY(session.ListDirectory());
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    const RemoteEntry entry = session.ListingEntries().entries.first();
    // Whatever it shows, the name still reaches its file.
    FTP_VERIFY(session.DownloadFile(entry.name, clientDisk() + QStringLiteral("/got")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/got")), QByteArray("content"));
    FTP_VERIFY(session.MakeRemoteDirectory(QStringLiteral("新建")));
    const QByteArray made = encoding == RemoteNameEncoding::Gbk ? gbk(QStringLiteral("新建"))
                                                                : QStringLiteral("新建").toUtf8();
    QVERIFY(TestFiles::existsRaw(disk + '/' + made));
    if (gbkServer)
        QVERIFY(entry.name != QStringLiteral("资料.txt"));
    TestFiles::removeTreeRaw(disk);
}

QTEST_MAIN(TestFtpPyftpd)
#include "tst_ftp_pyftpd.moc"
