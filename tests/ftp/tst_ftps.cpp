#include "SessionRecorder.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "remote/RemoteCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// FTP over TLS through FtpSession, beyond what the server suite shows over
// TLS (tst_ftps_*): the four encryption modes against servers with and
// without TLS, the judgement of certificates (a test authority stands in for
// the system's trust store), waits that a stop or a drop ends, and data
// connections a careful client must not take (the misbehaving server).
class TestFtps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void followsTheEncryptionMode_data();
    void followsTheEncryptionMode();
    void judgesCertificates_data();
    void judgesCertificates();
    void endsAConnectWaitingForTls_data();
    void endsAConnectWaitingForTls();
    void refusesDataConnectionsItCannotTrust_data();
    void refusesDataConnectionsItCannotTrust();

private:
    QTemporaryDir m_keys;
    QTemporaryDir m_root;
    QTemporaryDir m_client;
    TestCertificate m_selfSigned;
    TestCertificate m_other;
    TestCertificate m_authority;
    TestCertificate m_signed;
    TestCertificate m_signedForAnotherHost;
    PyFtpdServer m_plain{m_root.path()};
    PyFtpdServer m_tls{m_root.path()};
    FakeFtpServer m_fake;
};

namespace {

std::optional<RemoteError> openOn(FtpSession &session, const PyFtpdServer &server)
{
    return failureOf([&] {
        session.OpenConnection(server.host(), server.user(), server.password(), {}, server.port());
    });
}

QStringList commandsSent(const SessionRecorder &recorder)
{
    QStringList verbs;
    for (const RecordedEvent &event : recorder.matching(RemoteActivityKind::CommandSent))
        verbs.append(event.text.section(QLatin1Char(' '), 0, 0).trimmed());
    return verbs;
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

    QVERIFY2(m_plain.start(), qPrintable(m_plain.error()));
    m_tls.setTls(PyFtpdServer::Tls::Explicit, m_selfSigned);
    QVERIFY2(m_tls.start(), qPrintable(m_tls.error()));
    m_fake.setTls(m_selfSigned, m_other);
    QVERIFY2(m_fake.start(), qPrintable(m_fake.error()));
}

void TestFtps::followsTheEncryptionMode_data()
{
    QTest::addColumn<bool>("tlsServer");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("error"); // 0: connects
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<bool>("logsIn"); // the user name was sent
    QTest::addColumn<QString>("why"); // OpenSSL's reason, after what it means in Chinese
    QTest::newRow("plain server, plain")
        << false << RemoteEncryption::Plain << 0 << false << true << QString();
    QTest::newRow("plain server, TLS if offered")
        << false << RemoteEncryption::ExplicitIfOffered << 0 << false << true << QString();
    QTest::newRow("plain server, TLS required")
        << false << RemoteEncryption::ExplicitRequired << RemoteErrorCode::TlsRefused << false
        << false << QString();
    QTest::newRow("plain server, implicit TLS")
        << false << RemoteEncryption::Implicit << RemoteErrorCode::TlsHandshakeFailed << false
        << false << "wrong version number";
    QTest::newRow("TLS server, plain")
        << true << RemoteEncryption::Plain << 0 << false << true << QString();
    QTest::newRow("TLS server, TLS if offered")
        << true << RemoteEncryption::ExplicitIfOffered << 0 << true << true << QString();
    QTest::newRow("TLS server, TLS required")
        << true << RemoteEncryption::ExplicitRequired << 0 << true << true << QString();
}

void TestFtps::followsTheEncryptionMode()
{
    QFETCH(bool, tlsServer);
    QFETCH(int, mode);
    QFETCH(int, error);
    QFETCH(bool, encrypted);
    QFETCH(bool, logsIn);
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    session.setEncryption(mode);
    session.setQuestion(
        certificateQuestion([](const RemoteCertificate &) { return RemoteTrust::Once; }));
    const std::optional<RemoteError> failure = openOn(session, tlsServer ? m_tls : m_plain);
    QCOMPARE(failure ? failure->number : 0, error);
    QFETCH(QString, why);
    if (!why.isEmpty()) {
        // "TLS 握手失败：<what it means>（<OpenSSL's words>）"
        const QRegularExpression said(QStringLiteral("：\\p{Han}[^（]*（%1）$").arg(why));
        QVERIFY2(said.match(RemoteTexts::description(*failure)).hasMatch(),
                 qPrintable(RemoteTexts::description(*failure)));
    }
    QCOMPARE(session.IsEncrypted(), encrypted);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("USER")), logsIn);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("AUTH")),
             mode == RemoteEncryption::ExplicitIfOffered ||
                 mode == RemoteEncryption::ExplicitRequired);
    QCOMPARE(commandsSent(recorder).contains(QLatin1String("PROT")), encrypted);
    // One line with the TLS version and cipher, however many data
    // connections follow.
    if (!error)
        FTP_VERIFY(session.ListDirectory());
    QCOMPARE(recorder.matching(RemoteActivityKind::Encrypted).size(), encrypted ? 1 : 0);
    // Going on without TLS is said once, where it was asked for.
    int plainNotes = 0;
    for (const RecordedEvent &note : recorder.matching(RemoteActivityKind::EncryptionNote))
        plainNotes += note.text.contains(QStringLiteral("不加密")) ? 1 : 0;
    QCOMPARE(plainNotes, mode == RemoteEncryption::ExplicitIfOffered && !encrypted ? 1 : 0);
    QCOMPARE(session.ConnectionState(), error ? RemoteState::Closed : RemoteState::Connected);
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
        << "signed" << int(RemoteTrust::Refuse) << 0 << QString();
    QTest::newRow("self-signed, refused") << "self-signed" << int(RemoteTrust::Refuse)
                                          << RemoteErrorCode::CertificateRefused << selfSigned;
    QTest::newRow("self-signed, nobody to ask")
        << "self-signed" << -1 << RemoteErrorCode::CertificateRefused << QString();
    QTest::newRow("self-signed, trusted once")
        << "self-signed" << int(RemoteTrust::Once) << 0 << selfSigned;
    QTest::newRow("self-signed, trusted always")
        << "self-signed" << int(RemoteTrust::Always) << 0 << selfSigned;
    QTest::newRow("another host's, refused") << "another host" << int(RemoteTrust::Refuse)
                                             << RemoteErrorCode::CertificateRefused << anotherHost;
    QTest::newRow("another host's, trusted once")
        << "another host" << int(RemoteTrust::Once) << 0 << anotherHost;
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
    session.setEncryption(RemoteEncryption::ExplicitRequired);
    QList<RemoteCertificate> asked;
    if (answer >= 0)
        session.setQuestion(certificateQuestion([&](const RemoteCertificate &question) {
            asked.append(question);
            return answer;
        }));
    const std::optional<RemoteError> failure = openOn(session, server);
    QCOMPARE(failure ? failure->number : 0, error);
    QCOMPARE(asked.size(), problem.isEmpty() ? 0 : 1);
    if (!problem.isEmpty()) {
        const RemoteCertificate &question = asked.first();
        QCOMPARE(RemoteTexts::problem(question), problem);
        QCOMPARE(question.fingerprint, shown.fingerprint());
        QCOMPARE(question.host, server.host());
        QCOMPARE(question.port, int(server.port()));
        QVERIFY2(question.subject.contains(QLatin1String("O=Korvu tests")),
                 qPrintable(question.subject));
        QCOMPARE(question.issuer == question.subject, certificate == QLatin1String("self-signed"));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QVERIFY(question.validFrom <= now && now < question.validUntil);
    }
    if (error) {
        // Neither the user name nor the password left for an untrusted server.
        QVERIFY(!commandsSent(recorder).contains(QLatin1String("USER")));
        QVERIFY(!commandsSent(recorder).contains(QLatin1String("PASS")));
        QCOMPARE(session.ConnectionState(), RemoteState::Closed);
        QVERIFY(!session.IsEncrypted());
        return;
    }
    QVERIFY(session.IsEncrypted());
    // A trusted certificate is said in the log with its fingerprint.
    QCOMPARE(recorder.anyTextContains(shown.fingerprint()), !problem.isEmpty());
    FTP_VERIFY(session.ListDirectory());
    // The session asks on every connection: remembering is the caller's.
    QVERIFY(!openOn(session, server));
    QCOMPARE(asked.size(), problem.isEmpty() ? 0 : 2);
}

void TestFtps::endsAConnectWaitingForTls_data()
{
    QTest::addColumn<bool>("inHandshake"); // else: while the certificate question is open
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("error");
    QTest::newRow("stalled handshake, stop") << true << "stop" << RemoteErrorCode::StoppedByUser;
    QTest::newRow("stalled handshake, drop")
        << true << "drop" << RemoteErrorCode::ConnectionDropped;
    QTest::newRow("stalled handshake, time-out") << true << "wait" << RemoteErrorCode::TimedOut;
    QTest::newRow("open question, stop") << false << "stop" << RemoteErrorCode::StoppedByUser;
    QTest::newRow("open question, drop") << false << "drop" << RemoteErrorCode::ConnectionDropped;
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

    FtpSession session;
    SessionRecorder recorder(session);
    // Only the time-out row may end by the time-out.
    session.setTimeoutMs(how == QLatin1String("wait") ? 1000 : 60000);
    session.setEncryption(RemoteEncryption::ExplicitRequired);
    const auto act = [&] {
        if (how == QLatin1String("stop"))
            session.StopTransfer();
        else if (how == QLatin1String("drop"))
            session.DropConnection();
    };
    bool actedInQuestion = false;
    session.setQuestion(certificateQuestion([&](const RemoteCertificate &) {
        act();
        actedInQuestion = true;
        // Whatever the answer, the call ends as the stop or drop says.
        return RemoteTrust::Once;
    }));
    recorder.onEvent = [&](const RecordedEvent &event) {
        // Well into the handshake the server never starts.
        if (inHandshake && event.code == RemoteActivityKind::ServerReply &&
            event.activity.replyCode == 234)
            QTimer::singleShot(300, &session, act);
    };
    const std::optional<RemoteError> failure = failureOf([&] {
        if (inHandshake)
            session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("x"),
                                   QStringLiteral("y"), {}, stalling.port());
        else
            session.OpenConnection(m_tls.host(), m_tls.user(), m_tls.password(), {}, m_tls.port());
    });
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number, error);
    QCOMPARE(actedInQuestion, !inHandshake);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
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
        << "tls-no-reuse" << false << RemoteErrorCode::DataTlsFailed << reuse;
    QTest::newRow("session not resumed, download")
        << "tls-no-reuse" << true << RemoteErrorCode::DataTlsFailed << reuse;
    const QString another = QStringLiteral("证书与控制连接的不同");
    QTest::newRow("another certificate, listing")
        << "tls-other-cert" << false << RemoteErrorCode::DataTlsFailed << another;
    QTest::newRow("another certificate, download")
        << "tls-other-cert" << true << RemoteErrorCode::DataTlsFailed << another;
    // Ended without close_notify: only a size known and reached vouches for
    // the data; a listing's size never is.
    const QString cut = QStringLiteral("close_notify");
    QTest::newRow("no close_notify, listing")
        << "tls-cut" << false << RemoteErrorCode::TransferIncomplete << cut;
    QTest::newRow("no close_notify, download of unknown size")
        << "tls-cut-no-size" << true << RemoteErrorCode::TransferIncomplete << cut;
    QTest::newRow("no close_notify, download of known size") << "tls-cut" << true << 0 << QString();
}

void TestFtps::refusesDataConnectionsItCannotTrust()
{
    QFETCH(QString, scenario);
    QFETCH(bool, download);
    QFETCH(int, error);
    QFETCH(QString, says);
    FtpSession session;
    session.setTimeoutMs(20000);
    session.setEncryption(RemoteEncryption::ExplicitRequired);
    const QString trusted = m_selfSigned.fingerprint();
    session.setQuestion(certificateQuestion([&](const RemoteCertificate &certificate) {
        return certificate.fingerprint == trusted ? RemoteTrust::Once : RemoteTrust::Refuse;
    }));
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), scenario, QStringLiteral("x"),
                                      {}, m_fake.port()));
    QVERIFY(session.IsEncrypted());
    const QString local =
        QDir(m_client.path()).filePath(QStringLiteral("hello-%1.txt").arg(QTest::currentDataTag()));
    const std::optional<RemoteError> failure = failureOf([&] {
        if (download)
            session.DownloadFile(QStringLiteral("/pub/hello.txt"), local);
        else
            session.ListDirectory(QStringLiteral("/pub"));
    });
    QVERIFY2((failure ? failure->number : 0) == error,
             qPrintable(failure ? RemoteTexts::description(*failure) : QStringLiteral("no error")));
    if (error) {
        QVERIFY2(RemoteTexts::description(*failure).contains(says),
                 qPrintable(RemoteTexts::description(*failure)));
        // Nothing of what came over a connection from another peer is taken.
        if (error == RemoteErrorCode::DataTlsFailed)
            QVERIFY(!QFileInfo::exists(local) || TestFiles::read(local).isEmpty());
    } else if (download) {
        QCOMPARE(TestFiles::read(local), QByteArray("hello world\n"));
    } else {
        QCOMPARE(session.ListingEntries().entries.size(), 4); // the four files of /pub
    }
}

QTEST_MAIN(TestFtps)
#include "tst_ftps.moc"
