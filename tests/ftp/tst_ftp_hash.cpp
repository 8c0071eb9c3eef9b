#include "SessionRecorder.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "remote/RemoteCodes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Transfers checked against the server's hash of the file, on pyftpdlib
// with the hash commands the fixture offers (one way of them answering as
// ProFTPD's mod_digest does).
class TestFtpHash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verifiesTransfers_data();
    void verifiesTransfers();
};

namespace {

enum class Operation
{
    Get,
    GetResumed,
    Put,
    PutResumed,
    Mirror,
    Mput,
};

const QStringList TreeNames = {QStringLiteral("01 序曲.flac"), QStringLiteral("readme.txt"),
                               QStringLiteral("README.TXT"), QStringLiteral("trail ")};

// The hash commands a session sent, by verb ("OPTS HASH ..." whole).
QStringList hashCommands(const SessionRecorder &recorder)
{
    static const QStringList verbs = {"HASH", "XSHA256", "XSHA1", "XMD5", "XCRC"};
    QStringList sent;
    for (const RecordedEvent &event : recorder.matching(RemoteActivityKind::CommandSent)) {
        const QString command = event.activity.reply;
        if (command.startsWith(QLatin1String("OPTS HASH")))
            sent << command;
        else if (verbs.contains(command.section(QLatin1Char(' '), 0, 0)))
            sent << command.section(QLatin1Char(' '), 0, 0);
    }
    return sent;
}

} // namespace

void TestFtpHash::verifiesTransfers_data()
{
    QTest::addColumn<QString>("replies");     // "one line", or "two lines" as ProFTPD's
    QTest::addColumn<QStringList>("offered"); // by pyftpdlib
    QTest::addColumn<bool>("lying");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("verified");
    // The hash commands sent by the operation and one more download.
    QTest::addColumn<QStringList>("sent");

    const QStringList all = {"HASH", "XSHA256", "XSHA1", "XMD5", "XCRC"};
    const QString sha256 = QStringLiteral("OPTS HASH SHA-256");
    QTest::newRow("HASH, SHA-256 chosen over SHA-1 in use")
        << QStringLiteral("one line") << all << false << true << Operation::Get
        << "Music [FLAC].flac" << 0 << true << QStringList{sha256, "HASH", "HASH"};
    QTest::newRow("XSHA256 when there is no HASH")
        << QStringLiteral("one line") << QStringList{"XCRC", "XMD5", "XSHA1", "XSHA256"} << false
        << true << Operation::Put << "名字 带空格.txt" << 0 << true
        << QStringList{"XSHA256", "XSHA256"};
    QTest::newRow("XSHA1") << QStringLiteral("one line") << QStringList{"XCRC", "XSHA1"} << false
                           << true << Operation::Get << "readme.txt" << 0 << true
                           << QStringList{"XSHA1", "XSHA1"};
    QTest::newRow("XCRC alone") << QStringLiteral("one line") << QStringList{"XCRC"} << false
                                << true << Operation::Get << "trail " << 0 << true
                                << QStringList{"XCRC", "XCRC"};
    QTest::newRow("resumed download") << QStringLiteral("one line") << QStringList{"HASH"} << false
                                      << true << Operation::GetResumed << "big [1].bin" << 0 << true
                                      << QStringList{sha256, "HASH", "HASH"};
    QTest::newRow("tree down, each file")
        << QStringLiteral("one line") << QStringList{"HASH"} << false << true << Operation::Mirror
        << "Music [FLAC]" << 0 << true
        << QStringList{sha256, "HASH", "HASH", "HASH", "HASH", "HASH"};
    QTest::newRow("tree up, each file")
        << QStringLiteral("one line") << QStringList{"XMD5"} << false << true << Operation::Mput
        << "上传 目录" << 0 << true << QStringList{"XMD5", "XMD5", "XMD5", "XMD5", "XMD5"};
    QTest::newRow("lying server, download kept")
        << QStringLiteral("one line") << QStringList{"HASH"} << true << true << Operation::Get
        << "readme.txt" << RemoteErrorCode::HashMismatch << false
        << QStringList{sha256, "HASH", "HASH"};
    QTest::newRow("lying server, resumed download kept")
        << QStringLiteral("one line") << QStringList{"XCRC"} << true << true
        << Operation::GetResumed << "big.bin" << RemoteErrorCode::HashMismatch << false
        << QStringList{"XCRC", "XCRC"};
    QTest::newRow("lying server, tree copied, files failed")
        << QStringLiteral("one line") << QStringList{"XSHA1"} << true << true << Operation::Mirror
        << "Music [FLAC]" << RemoteErrorCode::TreeCopyIncomplete << false
        << QStringList{"XSHA1", "XSHA1", "XSHA1", "XSHA1", "XSHA1"};
    QTest::newRow("not offered: nothing asked")
        << QStringLiteral("one line") << QStringList{} << false << true << Operation::Get
        << "readme.txt" << 0 << false << QStringList{};
    QTest::newRow("not offered, tree: nothing asked")
        << QStringLiteral("one line") << QStringList{} << false << true << Operation::Mput
        << "Music [FLAC]" << 0 << false << QStringList{};
    QTest::newRow("announced, then refused: asked once")
        << QStringLiteral("one line") << QStringList{"-XSHA256"} << false << true << Operation::Get
        << "readme.txt" << 0 << false << QStringList{"XSHA256"};
    QTest::newRow("replies of two lines: HASH")
        << QStringLiteral("two lines") << QStringList{"HASH"} << false << true << Operation::Get
        << "Music [FLAC].flac" << 0 << true << QStringList{sha256, "HASH", "HASH"};
    QTest::newRow("replies of two lines: XSHA256, resumed upload")
        << QStringLiteral("two lines") << QStringList{"XSHA256"} << false << true
        << Operation::PutResumed << "名字 带空格.bin" << 0 << true
        << QStringList{"XSHA256", "XSHA256"};
    QTest::newRow("switched off: nothing asked")
        << QStringLiteral("one line") << all << true << false << Operation::Get << "readme.txt" << 0
        << false << QStringList{};
}

void TestFtpHash::verifiesTransfers()
{
    QFETCH(QString, replies);
    QFETCH(QStringList, offered);
    QFETCH(bool, lying);
    QFETCH(bool, verify);
    QFETCH(Operation, operation);
    QFETCH(QString, name);
    QFETCH(int, error);
    QFETCH(bool, verified);
    QFETCH(QStringList, sent);

    QTemporaryDir serverRoot;
    QTemporaryDir clientRoot;
    const QString server = serverRoot.path() + QLatin1Char('/');
    const QString client = clientRoot.path() + QLatin1Char('/');
    const QByteArray data = TestFiles::pattern(3 * 1024 * 1024 + 5, 1);
    const bool tree = operation == Operation::Mirror || operation == Operation::Mput;
    const bool download = operation == Operation::Get || operation == Operation::GetResumed ||
                          operation == Operation::Mirror;
    const QString source = download ? server : client;
    if (tree) {
        for (int i = 0; i < TreeNames.size(); ++i)
            QVERIFY(TestFiles::write(source + name + QLatin1Char('/') + TreeNames.at(i),
                                     TestFiles::pattern(100000 + i, i)));
    } else {
        QVERIFY(TestFiles::write(source + name, data));
    }
    // A resumed transfer finds a third of the file at its target.
    if (operation == Operation::GetResumed)
        QVERIFY(TestFiles::write(client + name, data.left(1024 * 1024)));
    if (operation == Operation::PutResumed)
        QVERIFY(TestFiles::write(server + name, data.left(1024 * 1024)));
    QVERIFY(TestFiles::write(server + QStringLiteral("again.bin"), "once more"));

    PyFtpdServer pyftpd(serverRoot.path());
    pyftpd.offerHashes(offered, lying, replies == QLatin1String("two lines"));
    QVERIFY2(pyftpd.start(), qPrintable(pyftpd.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    session.setVerifyTransfers(verify);
    FTP_VERIFY(
        session.OpenConnection(pyftpd.host(), pyftpd.user(), pyftpd.password(), {}, pyftpd.port()));

    const QString remote = QLatin1Char('/') + name;
    const QString local = client + name;
    qint64 offset =
        operation == Operation::GetResumed || operation == Operation::PutResumed ? 1024 * 1024 : 0;
    if (operation == Operation::PutResumed)
        session.setUploadMode(RemoteUploadMode::Resume);
    const std::optional<RemoteError> failure = failureOf([&] {
        switch (operation) {
        case Operation::Get:
        case Operation::GetResumed:
            session.DownloadFile(remote, local, offset);
            break;
        case Operation::Put:
        case Operation::PutResumed:
            session.UploadFile(remote, local, offset);
            break;
        case Operation::Mirror:
            session.DownloadMany(QLatin1Char('"') + remote + QStringLiteral("/*\""), local);
            break;
        case Operation::Mput:
            session.UploadMany(QLatin1Char('"') + local + QStringLiteral("/*\""), remote);
            break;
        }
    });
    QVERIFY2(failure.has_value() == (error != 0),
             qPrintable(failure ? RemoteTexts::description(*failure) : QStringLiteral("none")));
    if (failure)
        QCOMPARE(failure->number, error);
    QCOMPARE(session.TransferVerified(), verified);
    // Whatever the hash said, every file arrived, and stays.
    if (tree) {
        for (const QString &file : TreeNames)
            QCOMPARE(TestFiles::read(client + name + QLatin1Char('/') + file),
                     TestFiles::read(server + name + QLatin1Char('/') + file));
        if (error == RemoteErrorCode::TreeCopyIncomplete) {
            const QList<RecordedEvent> failed = recorder.matching(RemoteActivityKind::ItemFailed);
            QCOMPARE(failed.size(), TreeNames.size());
            for (const RecordedEvent &event : failed)
                QCOMPARE(event.activity.error->number, RemoteErrorCode::HashMismatch);
        }
    } else {
        QCOMPARE(TestFiles::read(local), data);
        QCOMPARE(TestFiles::read(server + name), data);
    }
    QCOMPARE(recorder.matching(RemoteActivityKind::FileVerified).size(),
             verified ? (tree ? TreeNames.size() : 1) : 0);

    failureOf([&] { session.DownloadFile(QStringLiteral("/again.bin"), client + "again.bin"); });
    QCOMPARE(hashCommands(recorder), sent);
}

QTEST_GUILESS_MAIN(TestFtpHash)
#include "tst_ftp_hash.moc"
