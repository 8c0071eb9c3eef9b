#include "FtpServerSuite.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestCertificate.h"

#include <QTest>
#include <memory>

// Every behaviour of the suite over TLS, against pyftpdlib's TLS handler.
// Built twice: explicit (AUTH TLS) and implicit TLS (KORVU_IMPLICIT_TLS).
constexpr bool Implicit = KORVU_IMPLICIT_TLS;

class TestFtpsPyftpd : public FtpServerSuite
{
    Q_OBJECT

protected:
    bool startServer(const QString &root, QString &why) override
    {
        if (!m_certificate.make(m_keys.path(), QStringLiteral("server"))) {
            why = m_certificate.error();
            return false;
        }
        m_server = std::make_unique<PyFtpdServer>(root);
        m_server->setTls(Implicit ? PyFtpdServer::Tls::Implicit : PyFtpdServer::Tls::Explicit,
                         m_certificate);
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
    QString refusedUser() const override { return m_server->user(); }
    QString remoteArea() const override { return QStringLiteral("/"); }
    QString localArea() const override { return m_server->root(); }
    int listingFormat() const override { return FtpListingFormat::Mlsd; }
    QString linkKind() const override { return QStringLiteral("-"); }

private:
    QTemporaryDir m_keys;
    TestCertificate m_certificate;
    std::unique_ptr<PyFtpdServer> m_server;
};

QTEST_MAIN(TestFtpsPyftpd)
#include "tst_ftps_pyftpd.moc"
