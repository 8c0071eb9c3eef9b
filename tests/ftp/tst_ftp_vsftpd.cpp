#include "ServerSuites.h"
#include "SessionRecorder.h"
#include "fixtures/TestFiles.h"
#include "remote/RemoteCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The suite against vsftpd, and what only a server that lists with LIST shows.
class TestFtpVsftpd : public VsftpdSuite
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void handlesFiveGigabyteFiles();
    void keepsGbkNamesByteExact();
    void endsLinkCycles();
    void copiesDotFilesThatPlainListHides();
};

void TestFtpVsftpd::cleanupTestCase()
{
    // GBK names left by a failed test would keep the temporary folder.
    if (started())
        TestFiles::removeTreeRaw(QFile::encodeName(localArea()));
}

void TestFtpVsftpd::handlesFiveGigabyteFiles()
{
    constexpr qint64 size = 5LL * 1024 * 1024 * 1024 + 17;
    constexpr qint64 tail = 1024 * 1024;
    const QByteArray end = TestFiles::pattern(tail, 8);
    QVERIFY(TestFiles::writeSparse(serverDisk() + QStringLiteral("/five.bin"), size, end));
    const QString onServer = serverDisk() + QStringLiteral("/up.bin");
    QVERIFY(TestFiles::writeSparse(onServer, size - tail));
    handOver(serverDisk());
    FtpSession session;
    FTP_VERIFY(connectSession(session));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QCOMPARE(session.ListingEntries().entries.size(), 2);
    for (const RemoteEntry &entry : session.ListingEntries().entries)
        QCOMPARE(entry.size, entry.name == QLatin1String("five.bin") ? size : size - tail);

    const QString local = clientDisk() + QStringLiteral("/five.bin");
    QVERIFY(TestFiles::writeSparse(local, size - tail));
    qint64 offset = size - tail;
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/five.bin"), local, offset));
    QCOMPARE(QFileInfo(local).size(), size);
    QCOMPARE(TestFiles::readAt(local, size - tail, tail), end);

    session.setUploadMode(RemoteUploadMode::Resume);
    FTP_VERIFY(session.UploadFile(remoteDir() + QStringLiteral("/up.bin"), local, offset));
    QCOMPARE(QFileInfo(onServer).size(), size);
    QCOMPARE(TestFiles::readAt(onServer, size - tail, tail), end);
}

void TestFtpVsftpd::keepsGbkNamesByteExact()
{
    // "中文文件.txt" and "资料" in GBK, bytes that are not UTF-8, sent by vsftpd
    // as they are.
    const QByteArray fileName = QByteArray::fromHex("d6d0cec4cec4bcfe") + ".txt";
    const QByteArray folderName = QByteArray::fromHex("d7cac1cf");
    const QByteArray disk = QFile::encodeName(serverDisk());
    QVERIFY(TestFiles::writeRaw(disk + '/' + fileName, "gbk content"));
    QVERIFY(TestFiles::writeRaw(disk + '/' + folderName + '/' + fileName, "inner"));
    handOver(serverDisk());

    FtpSession session;
    FTP_VERIFY(connectSession(session));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    const RemoteListing listing = session.ListingEntries();
    QCOMPARE(listing.entries.size(), 2);
    QStringList names;
    for (const RemoteEntry &entry : listing.entries)
        names.append(entry.name);
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("中文文件.txt"), QStringLiteral("资料")}));

    const QString remoteFile = remoteDir() + QStringLiteral("/中文文件.txt");
    const QString local = clientDisk() + QStringLiteral("/中文文件.txt");
    FTP_VERIFY(session.DownloadFile(remoteFile, local));
    QCOMPARE(TestFiles::read(local), QByteArray("gbk content"));

    FTP_VERIFY(session.setCurrentDirectory(remoteDir() + QStringLiteral("/资料")));
    QCOMPARE(session.CurrentDirectory(), remoteDir() + QStringLiteral("/资料"));
    FTP_VERIFY(session.ListDirectory());
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    QCOMPARE(session.ListingEntries().entries.first().name, QStringLiteral("中文文件.txt"));

    FTP_VERIFY(session.DownloadMany(remoteDir() + QStringLiteral("/资料/*"),
                                    clientDisk() + QStringLiteral("/tree")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/tree/中文文件.txt")),
             QByteArray("inner"));

    // The listing decided GBK for the connection: a new name goes as GBK
    // too, so the folder keeps one encoding.
    FTP_VERIFY(session.RenameRemote(remoteFile, remoteDir() + QStringLiteral("/改名.txt")));
    QVERIFY(!TestFiles::existsRaw(disk + '/' + fileName));
    QCOMPARE(TestFiles::readRaw(disk + '/' + QByteArray::fromHex("b8c4c3fb") + ".txt"),
             QByteArray("gbk content"));
    FTP_VERIFY(session.DeleteRemoteFile(remoteDir() + QStringLiteral("/资料/中文文件.txt")));
    QVERIFY(!TestFiles::existsRaw(disk + '/' + folderName + '/' + fileName));
    FTP_VERIFY(session.RemoveRemoteDirectory(remoteDir() + QStringLiteral("/资料")));
    QVERIFY(!TestFiles::existsRaw(disk + '/' + folderName));
}

void TestFtpVsftpd::endsLinkCycles()
{
    const QString tree = serverDisk() + QStringLiteral("/tree");
    QVERIFY(TestFiles::write(tree + QStringLiteral("/top.txt"), "top"));
    QVERIFY(TestFiles::write(tree + QStringLiteral("/a/inner.txt"), "inner"));
    QVERIFY(QFile::link(QStringLiteral("."), tree + QStringLiteral("/loop")));
    QVERIFY(QFile::link(QStringLiteral(".."), tree + QStringLiteral("/a/up")));
    QVERIFY(QFile::link(QStringLiteral("top.txt"), tree + QStringLiteral("/to-file")));
    // vsftpd names where a link leads once entered: this one leads out of
    // the folder copied, to what the user did not choose.
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/outside/secret.txt"), "secret"));
    QVERIFY(QFile::link(QStringLiteral("../outside"), tree + QStringLiteral("/away")));
    handOver(serverDisk());
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    const QString target = clientDisk() + QStringLiteral("/copy");
    FTP_EXPECT_ERROR(session.DownloadMany(remoteDir() + QStringLiteral("/tree/*"), target),
                     RemoteErrorCode::TreeCopyIncomplete);
    QCOMPARE(TestFiles::read(target + QStringLiteral("/top.txt")), QByteArray("top"));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/a/inner.txt")), QByteArray("inner"));
    // A link to a file is copied as a file; links back into the tree are not entered.
    QCOMPARE(TestFiles::read(target + QStringLiteral("/to-file")), QByteArray("top"));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/loop")));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/a/up")));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/away")));
    QCOMPARE(recorder.matching(RemoteActivityKind::EntrySkipped).size(), 3);
}

void TestFtpVsftpd::copiesDotFilesThatPlainListHides()
{
    // vsftpd as it comes: plain LIST leaves dot files out, LIST -a shows them.
    QTemporaryDir root;
    VsftpdServer hiding(root.path());
    hiding.setShowsDotFiles(false);
    const QString tree = hiding.writablePath() + QStringLiteral("/tree");
    QVERIFY(TestFiles::write(tree + QStringLiteral("/.hidden"), "h"));
    QVERIFY(TestFiles::write(tree + QStringLiteral("/.config/settings"), "s"));
    QVERIFY(TestFiles::write(tree + QStringLiteral("/plain.txt"), "p"));
    QVERIFY2(hiding.start(), qPrintable(hiding.error()));
    QVERIFY(VsftpdServer::giveToFtpUser(hiding.writablePath()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    FTP_VERIFY(
        session.OpenConnection(hiding.host(), hiding.user(), hiding.password(), {}, hiding.port()));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub/tree")));
    QCOMPARE(session.ListingEntries().entries.size(), 3);
    const QString target = clientDisk() + QStringLiteral("/copy");
    FTP_VERIFY(session.DownloadMany(QStringLiteral("/pub/tree/*"), target));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/.hidden")), QByteArray("h"));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/.config/settings")), QByteArray("s"));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/plain.txt")), QByteArray("p"));
    QVERIFY(recorder.anyTextContains(QStringLiteral("LIST -a")));
}

QTEST_MAIN(TestFtpVsftpd)
#include "tst_ftp_vsftpd.moc"
