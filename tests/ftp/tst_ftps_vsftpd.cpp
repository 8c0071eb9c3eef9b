#include "FtpServerSuite.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/VsftpdServer.h"

#include <QTest>
#include <memory>

// Every behaviour of the suite over TLS, against vsftpd as it is set up for
// FTPS: TLS required for log-in and data, and every data connection
// resuming the control connection's TLS session. Built twice: explicit
// (AUTH TLS) and implicit TLS (KORVU_IMPLICIT_TLS).
constexpr bool Implicit = KORVU_IMPLICIT_TLS;

class TestFtpsVsftpd : public FtpServerSuite
{
    Q_OBJECT

protected:
    QString unavailable() const override { return VsftpdServer::unavailableReason(); }
    bool startServer(const QString &root, QString &why) override
    {
        if (!m_certificate.make(m_keys.path(), QStringLiteral("server"))) {
            why = m_certificate.error();
            return false;
        }
        m_server = std::make_unique<VsftpdServer>(root);
        m_server->setTls(Implicit, m_certificate);
        if (m_server->start())
            return true;
        why = m_server->error();
        return false;
    }
    void configure(FtpSession &session) override
    {
        session.setEncryption(Implicit ? FtpEncryption::Implicit : FtpEncryption::ExplicitRequired);
        const QString trusted = m_certificate.fingerprint();
        session.setCertificateQuestion([trusted](const FtpCertificate &certificate) {
            return certificate.fingerprint == trusted ? FtpTrust::Once : FtpTrust::Refuse;
        });
    }
    QString host() const override { return m_server->host(); }
    quint16 port() const override { return m_server->port(); }
    QString user() const override { return m_server->user(); }
    QString password() const override { return m_server->password(); }
    QString refusedUser() const override { return QStringLiteral("korvu-nobody"); }
    QString remoteArea() const override { return QStringLiteral("/pub"); }
    QString localArea() const override { return m_server->writablePath(); }
    void handOver(const QString &path) override { VsftpdServer::giveToFtpUser(path); }
    int listingFormat() const override { return FtpListingFormat::Unix; }
    QString linkKind() const override { return QStringLiteral("l"); }

private:
    QTemporaryDir m_keys;
    TestCertificate m_certificate;
    std::unique_ptr<VsftpdServer> m_server;
};

QTEST_MAIN(TestFtpsVsftpd)
#include "tst_ftps_vsftpd.moc"
