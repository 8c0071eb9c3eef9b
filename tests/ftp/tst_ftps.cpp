#include "SessionRecorder.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>
#include <memory>

// FTP over TLS through FtpSession: transfers over pyftpdlib's and vsftpd's
// TLS, the four encryption modes against servers with and without TLS, the
// judgement of certificates (the test's own authority stands in for the
// system's trust store), waits that a stop or a drop ends, and data
// connections a careful client must not take (the misbehaving server).
class TestFtps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void transfersByteExact_data();
    void transfersByteExact();
    void followsTheEncryptionMode_data();
    void followsTheEncryptionMode();
    void judgesCertificates_data();
    void judgesCertificates();
    void endsAConnectWaitingForTls_data();
    void endsAConnectWaitingForTls();
    void refusesDataConnectionsItCannotTrust_data();
    void refusesDataConnectionsItCannotTrust();

private:
    // A server of these tests and where its writable area is.
    struct Peer
    {
        QString host;
        quint16 port = 0;
        QString user;
        QString password;
        QString remoteArea; // as the server names it
        QString localArea;  // on its disk
        bool vsftpd = false;
    };

    bool startPyftpd(const QString &key, PyFtpdServer::Tls tls, const TestCertificate &certificate);
    bool startVsftpd(const QString &key, bool implicit);
    // The peer of a data row, or a skip when it cannot run here.
    const Peer *peer(const QString &key) const;
    QStringList commandsSent(const SessionRecorder &recorder) const;

    QTemporaryDir m_keys;
    TestCertificate m_selfSigned;
    TestCertificate m_other;
    TestCertificate m_authority;
    TestCertificate m_signed;
    TestCertificate m_signedForAnotherHost;
    std::vector<std::unique_ptr<QTemporaryDir>> m_roots;
    std::vector<std::unique_ptr<PyFtpdServer>> m_pyftpd;
    std::vector<std::unique_ptr<VsftpdServer>> m_vsftpd;
    std::map<QString, Peer> m_peers;
    FakeFtpServer m_fake;
    QTemporaryDir m_client;
};

namespace {

constexpr qint64 MiB = 1024 * 1024;

const FtpListingEntry *entryNamed(const FtpListing &listing, const QString &name)
{
    for (const FtpListingEntry &entry : listing.entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace

void TestFtps::initTestCase()
{
    const QString keys = m_keys.path();
    QVERIFY2(m_selfSigned.make(keys, QStringLiteral("self")), qPrintable(m_selfSigned.error()));
    QVERIFY2(m_other.make(keys, QStringLiteral("other")), qPrintable(m_other.error()));
    QVERIFY2(m_authority.make(keys, QStringLiteral("authority"), QStringLiteral("korvu-test-ca")),
             qPrintable(m_authority.error()));
    QVERIFY2(m_signed.make(keys, QStringLiteral("signed"), QStringLiteral("127.0.0.1"), 30,
                           &m_authority),
             qPrintable(m_signed.error()));
    QVERIFY2(m_signedForAnotherHost.make(keys, QStringLiteral("elsewhere"),
                                         QStringLiteral("ftp.korvu.example"), 30, &m_authority),
             qPrintable(m_signedForAnotherHost.error()));
    // The authority joins what the system trusts, for this process only.
    qputenv("SSL_CERT_FILE", QFile::encodeName(m_authority.certificatePath()));

    QVERIFY(startPyftpd(QStringLiteral("pyftpdlib plain"), PyFtpdServer::Tls::None, m_selfSigned));
    QVERIFY(startPyftpd(QStringLiteral("pyftpdlib explicit"), PyFtpdServer::Tls::Explicit,
                        m_selfSigned));
    QVERIFY(startPyftpd(QStringLiteral("pyftpdlib implicit"), PyFtpdServer::Tls::Implicit,
                        m_selfSigned));
    if (VsftpdServer::available()) {
        QVERIFY(startVsftpd(QStringLiteral("vsftpd explicit"), false));
        QVERIFY(startVsftpd(QStringLiteral("vsftpd implicit"), true));
    }
    m_fake.setTls(m_selfSigned, m_other);
    QVERIFY2(m_fake.start(), qPrintable(m_fake.error()));
}

bool TestFtps::startPyftpd(const QString &key, PyFtpdServer::Tls tls,
                           const TestCertificate &certificate)
{
    m_roots.push_back(std::make_unique<QTemporaryDir>());
    auto server = std::make_unique<PyFtpdServer>(m_roots.back()->path());
    server->setTls(tls, certificate);
    if (!server->start()) {
        qWarning("%s", qPrintable(server->error()));
        return false;
    }
    m_peers[key] = Peer{server->host(),      server->port(), server->user(), server->password(),
                        QStringLiteral("/"), server->root(), false};
    m_pyftpd.push_back(std::move(server));
    return true;
}

bool TestFtps::startVsftpd(const QString &key, bool implicit)
{
    m_roots.push_back(std::make_unique<QTemporaryDir>());
    auto server = std::make_unique<VsftpdServer>(m_roots.back()->path());
    server->setTls(implicit, m_selfSigned);
    if (!server->start()) {
        qWarning("%s", qPrintable(server->error()));
        return false;
    }
    m_peers[key] = Peer{server->host(),
                        server->port(),
                        server->user(),
                        server->password(),
                        QStringLiteral("/pub"),
                        server->writablePath(),
                        true};
    m_vsftpd.push_back(std::move(server));
    return true;
}

const TestFtps::Peer *TestFtps::peer(const QString &key) const
{
    const auto found = m_peers.find(key);
    return found == m_peers.end() ? nullptr : &found->second;
}

QStringList TestFtps::commandsSent(const SessionRecorder &recorder) const
{
    QStringList verbs;
    for (const RecordedEvent &event : recorder.matching(FtpEvent::CommandSent))
        verbs.append(event.text.section(QLatin1Char(' '), 0, 0).trimmed());
    return verbs;
}

void TestFtps::transfersByteExact_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("passive");
    QTest::newRow("pyftpdlib, explicit")
        << "pyftpdlib explicit" << FtpEncryption::ExplicitRequired << true;
    QTest::newRow("pyftpdlib, if offered")
        << "pyftpdlib explicit" << FtpEncryption::ExplicitIfOffered << true;
    QTest::newRow("pyftpdlib, implicit, active")
        << "pyftpdlib implicit" << FtpEncryption::Implicit << false;
    QTest::newRow("vsftpd, explicit")
        << "vsftpd explicit" << FtpEncryption::ExplicitRequired << true;
    QTest::newRow("vsftpd, explicit, active")
        << "vsftpd explicit" << FtpEncryption::ExplicitRequired << false;
    QTest::newRow("vsftpd, implicit") << "vsftpd implicit" << FtpEncryption::Implicit << true;
}

void TestFtps::transfersByteExact()
{
    QFETCH(QString, server);
    QFETCH(int, mode);
    QFETCH(bool, passive);
    const Peer *p = peer(server);
    if (!p)
        QSKIP(qPrintable(VsftpdServer::unavailableReason()));
    const QString folder = QStringLiteral("row-%1")
                               .arg(QTest::currentDataTag())
                               .replace(QLatin1Char(','), QLatin1Char('-'));
    const QString onDisk = QDir(p->localArea).filePath(folder);
    const QString remote =
        (p->remoteArea.endsWith(QLatin1Char('/')) ? p->remoteArea : p->remoteArea + '/') + folder;
    QVERIFY(QDir().mkpath(onDisk));
    if (p->vsftpd)
        QVERIFY(VsftpdServer::giveToFtpUser(onDisk));
    const QString local = QDir(m_client.path()).filePath(folder);
    QVERIFY(QDir().mkpath(local));

    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    session.setEncryption(mode);
    session.setPassiveMode(passive);
    QList<FtpCertificate> asked;
    session.setCertificateQuestion([&asked](const FtpCertificate &certificate) {
        asked.append(certificate);
        return FtpTrust::Once;
    });
    FTP_VERIFY(session.OpenConnection(p->host, p->user, p->password, {}, p->port));
    QVERIFY(session.IsEncrypted());
    QCOMPARE(asked.size(), 1);
    const FtpCertificate &certificate = asked.first();
    QCOMPARE(certificate.fingerprint, m_selfSigned.fingerprint());
    QCOMPARE(certificate.host, p->host);
    QCOMPARE(certificate.port, int(p->port));
    QCOMPARE(certificate.problem, QStringLiteral("自签名证书"));
    QVERIFY2(certificate.subject.contains(QLatin1String("CN=127.0.0.1")),
             qPrintable(certificate.subject));
    QCOMPARE(certificate.issuer, certificate.subject);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QVERIFY(certificate.validFrom <= now && now < certificate.validUntil);
    const QList<RecordedEvent> tls = recorder.matching(FtpEvent::TlsEstablished);
    QCOMPARE(tls.size(), 1);
    QVERIFY2(tls.first().text.contains(QLatin1String("TLSv1.")), qPrintable(tls.first().text));

    const QByteArray content = TestFiles::pattern(3 * MiB + 17, int(p->port));
    QVERIFY(TestFiles::write(local + QStringLiteral("/up.bin"), content));
    qint64 offset = 0;
    FTP_VERIFY(session.UploadFile(remote + QStringLiteral("/up.bin"),
                                  local + QStringLiteral("/up.bin"), offset));
    QCOMPARE(TestFiles::read(onDisk + QStringLiteral("/up.bin")), content);

    FTP_VERIFY(session.ListDirectory(remote));
    const FtpListingEntry *listed = entryNamed(session.ListingEntries(), QStringLiteral("up.bin"));
    QVERIFY(listed);
    QCOMPARE(listed->size, content.size());

    const QString down = local + QStringLiteral("/down.bin");
    FTP_VERIFY(session.DownloadFile(remote + QStringLiteral("/up.bin"), down));
    QCOMPARE(TestFiles::read(down), content);
    // Resumed both ways, to the byte.
    QVERIFY(TestFiles::write(down, content.left(1000)));
    offset = 1000;
    FTP_VERIFY(session.DownloadFile(remote + QStringLiteral("/up.bin"), down, offset));
    QCOMPARE(TestFiles::read(down), content);
    const qint64 half = content.size() / 2;
    QVERIFY(TestFiles::write(onDisk + QStringLiteral("/up.bin"), content.left(half)));
    if (p->vsftpd)
        QVERIFY(VsftpdServer::giveToFtpUser(onDisk));
    session.setUploadMode(FtpUploadMode::Resume);
    offset = half;
    FTP_VERIFY(session.UploadFile(remote + QStringLiteral("/up.bin"),
                                  local + QStringLiteral("/up.bin"), offset));
    QCOMPARE(TestFiles::read(onDisk + QStringLiteral("/up.bin")), content);
    // One question and one TLS line per connection, however many data
    // connections followed.
    QCOMPARE(asked.size(), 1);
    QCOMPARE(recorder.matching(FtpEvent::TlsEstablished).size(), 1);
    FTP_VERIFY(session.CloseConnection());
    QVERIFY(!session.IsEncrypted());
}

void TestFtps::followsTheEncryptionMode_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("error"); // 0: connects
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<bool>("logsIn"); // the user name was sent
    const QString plain = QStringLiteral("pyftpdlib plain");
    const QString tls = QStringLiteral("pyftpdlib explicit");
    QTest::newRow("plain server, plain") << plain << FtpEncryption::Plain << 0 << false << true;
    QTest::newRow("plain server, TLS if offered")
        << plain << FtpEncryption::ExplicitIfOffered << 0 << false << true;
    QTest::newRow("plain server, TLS required")
        << plain << FtpEncryption::ExplicitRequired << FtpErrorCode::TlsRefused << false << false;
    QTest::newRow("plain server, implicit TLS")
        << plain << FtpEncryption::Implicit << FtpErrorCode::TlsHandshakeFailed << false << false;
    QTest::newRow("TLS server, plain") << tls << FtpEncryption::Plain << 0 << false << true;
    QTest::newRow("TLS server, TLS if offered")
        << tls << FtpEncryption::ExplicitIfOffered << 0 << true << true;
    QTest::newRow("TLS server, TLS required")
        << tls << FtpEncryption::ExplicitRequired << 0 << true << true;
}

void TestFtps::followsTheEncryptionMode()
{
    QFETCH(QString, server);
    QFETCH(int, mode);
    QFETCH(int, error);
    QFETCH(bool, encrypted);
    QFETCH(bool, logsIn);
    const Peer *p = peer(server);
    QVERIFY(p);
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    session.setEncryption(mode);
    session.setCertificateQuestion([](const FtpCertificate &) { return FtpTrust::Once; });
    const std::optional<FtpError> failure =
        failureOf([&] { session.OpenConnection(p->host, p->user, p->password, {}, p->port); });
    QCOMPARE(failure ? failure->number : 0, error);
    QCOMPARE(session.IsEncrypted(), encrypted);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("USER")), logsIn);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("AUTH")),
             mode == FtpEncryption::ExplicitIfOffered || mode == FtpEncryption::ExplicitRequired);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("PROT")), encrypted);
    QCOMPARE(recorder.matching(FtpEvent::TlsEstablished).size(), encrypted ? 1 : 0);
    // Going on without TLS is said once, where it was asked for.
    int plainNotes = 0;
    for (const RecordedEvent &note : recorder.matching(FtpEvent::TlsNote))
        plainNotes += note.text.contains(QStringLiteral("不加密")) ? 1 : 0;
    QCOMPARE(plainNotes, mode == FtpEncryption::ExplicitIfOffered && !encrypted ? 1 : 0);
    if (error) {
        QCOMPARE(session.ConnectionState(), FtpState::Closed);
        return;
    }
    FTP_VERIFY(session.ListDirectory());
    QCOMPARE(session.ConnectionState(), FtpState::Connected);
}

void TestFtps::judgesCertificates_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<int>("answer"); // -1: nobody to ask
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("problem"); // empty: not asked
    const QString selfSigned = QStringLiteral("自签名证书");
    const QString anotherHost = QStringLiteral("证书不属于所连接的主机");
    QTest::newRow("vouched for by the trust store")
        << "signed" << int(FtpTrust::Refuse) << 0 << QString();
    QTest::newRow("self-signed, refused")
        << "self-signed" << int(FtpTrust::Refuse) << FtpErrorCode::CertificateRefused << selfSigned;
    QTest::newRow("self-signed, nobody to ask")
        << "self-signed" << -1 << FtpErrorCode::CertificateRefused << QString();
    QTest::newRow("self-signed, trusted once")
        << "self-signed" << int(FtpTrust::Once) << 0 << selfSigned;
    QTest::newRow("self-signed, trusted always")
        << "self-signed" << int(FtpTrust::Always) << 0 << selfSigned;
    QTest::newRow("another host's, refused") << "another host" << int(FtpTrust::Refuse)
                                             << FtpErrorCode::CertificateRefused << anotherHost;
    QTest::newRow("another host's, trusted once")
        << "another host" << int(FtpTrust::Once) << 0 << anotherHost;
}

void TestFtps::judgesCertificates()
{
    QFETCH(QString, certificate);
    QFETCH(int, answer);
    QFETCH(int, error);
    QFETCH(QString, problem);
    const TestCertificate &shown = certificate == QLatin1String("signed") ? m_signed
                                   : certificate == QLatin1String("self-signed")
                                       ? m_selfSigned
                                       : m_signedForAnotherHost;
    QTemporaryDir root;
    PyFtpdServer server(root.path());
    server.setTls(PyFtpdServer::Tls::Explicit, shown);
    QVERIFY2(server.start(), qPrintable(server.error()));

    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    session.setEncryption(FtpEncryption::ExplicitRequired);
    QList<FtpCertificate> asked;
    if (answer >= 0)
        session.setCertificateQuestion([&](const FtpCertificate &question) {
            asked.append(question);
            return answer;
        });
    const auto connect = [&] {
        return failureOf([&] {
            session.OpenConnection(server.host(), server.user(), server.password(), {},
                                   server.port());
        });
    };
    const std::optional<FtpError> failure = connect();
    QCOMPARE(failure ? failure->number : 0, error);
    QCOMPARE(asked.size(), problem.isEmpty() ? 0 : 1);
    if (!problem.isEmpty()) {
        QCOMPARE(asked.first().problem, problem);
        QCOMPARE(asked.first().fingerprint, shown.fingerprint());
    }
    if (error) {
        // Neither the user name nor the password left for an untrusted server.
        QVERIFY(!commandsSent(recorder).contains(QLatin1String("USER")));
        QVERIFY(!commandsSent(recorder).contains(QLatin1String("PASS")));
        QCOMPARE(session.ConnectionState(), FtpState::Closed);
        QVERIFY(!session.IsEncrypted());
        return;
    }
    QVERIFY(session.IsEncrypted());
    // A trusted certificate is said in the log with its fingerprint.
    QCOMPARE(recorder.anyTextContains(shown.fingerprint()), !problem.isEmpty());
    FTP_VERIFY(session.ListDirectory());
    // The session asks on every connection: remembering is the caller's.
    QVERIFY(!connect());
    QCOMPARE(asked.size(), problem.isEmpty() ? 0 : 2);
}

void TestFtps::endsAConnectWaitingForTls_data()
{
    QTest::addColumn<bool>("inHandshake"); // else: while the certificate question is open
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("error");
    QTest::newRow("stalled handshake, stop") << true << "stop" << FtpErrorCode::StoppedByUser;
    QTest::newRow("stalled handshake, drop") << true << "drop" << FtpErrorCode::ConnectionDropped;
    QTest::newRow("stalled handshake, time-out") << true << "wait" << FtpErrorCode::TimedOut;
    QTest::newRow("open question, stop") << false << "stop" << FtpErrorCode::StoppedByUser;
    QTest::newRow("open question, drop") << false << "drop" << FtpErrorCode::ConnectionDropped;
}

void TestFtps::endsAConnectWaitingForTls()
{
    QFETCH(bool, inHandshake);
    QFETCH(QString, how);
    QFETCH(int, error);
    FakeFtpServer stalling(QStringLiteral("tls-stall-handshake"));
    stalling.setTls(m_selfSigned, m_other);
    if (inHandshake)
        QVERIFY2(stalling.start(), qPrintable(stalling.error()));
    const Peer *tls = peer(QStringLiteral("pyftpdlib explicit"));
    QVERIFY(tls);

    FtpSession session;
    SessionRecorder recorder(session);
    // Only the time-out row may end by the time-out.
    session.setTimeoutMs(how == QLatin1String("wait") ? 1000 : 60000);
    session.setEncryption(FtpEncryption::ExplicitRequired);
    const auto act = [&] {
        if (how == QLatin1String("stop"))
            session.StopTransfer();
        else if (how == QLatin1String("drop"))
            session.DropConnection();
    };
    bool actedInQuestion = false;
    session.setCertificateQuestion([&](const FtpCertificate &) {
        act();
        actedInQuestion = true;
        // Whatever the answer, the call ends as the stop or drop says.
        return FtpTrust::Once;
    });
    recorder.onEvent = [&](const RecordedEvent &event) {
        // Well into the handshake the server never starts.
        if (inHandshake && event.code == FtpEvent::ServerReply && event.extra.toInt() == 234)
            QTimer::singleShot(300, &session, act);
    };
    const std::optional<FtpError> failure = failureOf([&] {
        if (inHandshake)
            session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("x"),
                                   QStringLiteral("y"), {}, stalling.port());
        else
            session.OpenConnection(tls->host, tls->user, tls->password, {}, tls->port);
    });
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number, error);
    QCOMPARE(actedInQuestion, !inHandshake);
    QCOMPARE(session.ConnectionState(), FtpState::Closed);
    QVERIFY(!commandsSent(recorder).contains(QLatin1String("USER")));
    QVERIFY(!session.IsBusy());
}

void TestFtps::refusesDataConnectionsItCannotTrust_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("download"); // else a listing
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("says");
    QTest::newRow("resumed session, listing") << "plain" << false << 0 << QString();
    QTest::newRow("resumed session, download") << "plain" << true << 0 << QString();
    const QString reuse = QStringLiteral("没有复用控制连接的 TLS 会话");
    QTest::newRow("session not resumed, listing")
        << "tls-no-reuse" << false << FtpErrorCode::DataTlsFailed << reuse;
    QTest::newRow("session not resumed, download")
        << "tls-no-reuse" << true << FtpErrorCode::DataTlsFailed << reuse;
    const QString another = QStringLiteral("证书与控制连接的不同");
    QTest::newRow("another certificate, listing")
        << "tls-other-cert" << false << FtpErrorCode::DataTlsFailed << another;
    QTest::newRow("another certificate, download")
        << "tls-other-cert" << true << FtpErrorCode::DataTlsFailed << another;
}

void TestFtps::refusesDataConnectionsItCannotTrust()
{
    QFETCH(QString, scenario);
    QFETCH(bool, download);
    QFETCH(int, error);
    QFETCH(QString, says);
    FtpSession session;
    session.setTimeoutMs(20000);
    session.setEncryption(FtpEncryption::ExplicitRequired);
    const QString trusted = m_selfSigned.fingerprint();
    session.setCertificateQuestion([&](const FtpCertificate &certificate) {
        return certificate.fingerprint == trusted ? FtpTrust::Once : FtpTrust::Refuse;
    });
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), scenario, QStringLiteral("x"),
                                      {}, m_fake.port()));
    QVERIFY(session.IsEncrypted());
    const QString local =
        QDir(m_client.path()).filePath(QStringLiteral("hello-%1.txt").arg(QTest::currentDataTag()));
    const std::optional<FtpError> failure = failureOf([&] {
        if (download)
            session.DownloadFile(QStringLiteral("/pub/hello.txt"), local);
        else
            session.ListDirectory(QStringLiteral("/pub"));
    });
    QVERIFY2((failure ? failure->number : 0) == error,
             qPrintable(failure ? failure->description : QStringLiteral("no error")));
    if (error) {
        QVERIFY2(failure->description.contains(says), qPrintable(failure->description));
        // Nothing of what came over such a connection is taken.
        QVERIFY(!QFileInfo::exists(local) || TestFiles::read(local).isEmpty());
    } else if (download) {
        QCOMPARE(TestFiles::read(local), QByteArray("hello world\n"));
    } else {
        QVERIFY(entryNamed(session.ListingEntries(), QStringLiteral("hello.txt")));
    }
}

QTEST_MAIN(TestFtps)
#include "tst_ftps.moc"
