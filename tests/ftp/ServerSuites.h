#pragma once

#include "ServerSuite.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/VsftpdServer.h"
#include "ftp/FtpSession.h"

#include <QTemporaryDir>
#include <memory>

// The certificate a TLS suite gives its server, and the session set up to
// trust exactly that certificate. With RemoteEncryption::Plain it does nothing.
class SuiteTls
{
public:
    explicit SuiteTls(int encryption) : m_encryption(encryption) {}

    bool enabled() const { return m_encryption != RemoteEncryption::Plain; }
    bool implicit() const { return m_encryption == RemoteEncryption::Implicit; }
    const TestCertificate &certificate() const { return m_certificate; }
    // Makes the certificate when TLS is on; false with a reason.
    bool prepare(QString &why);
    void configure(RemoteSession &session) const;

private:
    int m_encryption;
    QTemporaryDir m_keys;
    TestCertificate m_certificate;
};

// The suite against vsftpd: the LIST server, which sends names as raw bytes.
class VsftpdSuite : public ServerSuite
{
protected:
    explicit VsftpdSuite(int encryption = RemoteEncryption::Plain) : m_tls(encryption) {}

    QString unavailable() const override { return VsftpdServer::unavailableReason(); }
    bool startServer(const QString &root, QString &why) override;
    void configure(RemoteSession &session) override { m_tls.configure(session); }
    std::unique_ptr<RemoteSession> newSession() const override
    {
        return std::make_unique<FtpSession>();
    }
    QString host() const override { return m_server->host(); }
    quint16 port() const override { return m_server->port(); }
    QString user() const override { return m_server->user(); }
    QString password() const override { return m_server->password(); }
    QString refusedUser() const override { return QStringLiteral("korvu-nobody"); }
    QString remoteArea() const override { return QStringLiteral("/pub"); }
    QString localArea() const override { return m_server->writablePath(); }
    void handOver(const QString &path) override { VsftpdServer::giveToFtpUser(path); }
    int listingFormat() const override { return RemoteListingFormat::Unix; }
    RemoteEntryKind linkKind() const override { return RemoteEntryKind::Link; }

    bool started() const { return m_server != nullptr; }

private:
    SuiteTls m_tls;
    std::unique_ptr<VsftpdServer> m_server;
};

// The suite against pyftpdlib: the MLSD server.
class PyFtpdSuite : public ServerSuite
{
protected:
    explicit PyFtpdSuite(int encryption = RemoteEncryption::Plain) : m_tls(encryption) {}

    bool startServer(const QString &root, QString &why) override;
    void configure(RemoteSession &session) override { m_tls.configure(session); }
    std::unique_ptr<RemoteSession> newSession() const override
    {
        return std::make_unique<FtpSession>();
    }
    QString host() const override { return m_server->host(); }
    quint16 port() const override { return m_server->port(); }
    QString user() const override { return m_server->user(); }
    QString password() const override { return m_server->password(); }
    QString refusedUser() const override { return m_server->user(); }
    QString remoteArea() const override { return QStringLiteral("/"); }
    QString localArea() const override { return m_server->root(); }
    int listingFormat() const override { return RemoteListingFormat::Mlsd; }
    // MLSD follows links.
    RemoteEntryKind linkKind() const override { return RemoteEntryKind::File; }

private:
    SuiteTls m_tls;
    std::unique_ptr<PyFtpdServer> m_server;
};
