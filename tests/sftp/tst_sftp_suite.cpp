#include "fixtures/SshdServer.h"
#include "ftp/ServerSuite.h"
#include "sftp/SftpSession.h"

#include <QTest>

// The server suite over SFTP, against OpenSSH's sshd with internal-sftp:
// the behaviours every server shows through RemoteSession, on the SSH
// engine. The host key is trusted as a site's "always" answer is.
class TestSftpSuite : public ServerSuite
{
    Q_OBJECT

public:
    // The agent of whoever runs the tests has keys the server does not know.
    TestSftpSuite() { qunsetenv("SSH_AUTH_SOCK"); }

protected:
    QString unavailable() const override { return SshdServer::unavailableReason(); }
    bool startServer(const QString &root, QString &why) override
    {
        m_server = std::make_unique<SshdServer>(root);
        if (m_server->start())
            return true;
        why = m_server->error();
        return false;
    }
    std::unique_ptr<RemoteSession> newSession() const override
    {
        return std::make_unique<SftpSession>();
    }
    void configure(RemoteSession &session) override
    {
        session.setTrustedHostKeys({m_server->hostKeyFingerprint()});
    }
    QString host() const override { return m_server->host(); }
    quint16 port() const override { return m_server->port(); }
    QString user() const override { return SshdServer::user(); }
    QString password() const override { return SshdServer::password(); }
    QString refusedUser() const override { return QStringLiteral("korvu-nobody"); }
    // internal-sftp starts in the root, which is not a chroot.
    QString remoteArea() const override { return m_server->root(); }
    QString localArea() const override { return m_server->root(); }
    void handOver(const QString &path) override { SshdServer::giveToUser(path); }
    int listingFormat() const override { return RemoteListingFormat::Sftp; }
    RemoteEntryKind linkKind() const override { return RemoteEntryKind::Link; }
    bool speaksFtp() const override { return false; }
    int refusedLoginNumber() const override { return RemoteErrorCode::LoginRefused; }
    int missingNumber() const override { return RemoteErrorCode::NoSuchFile; }
    int notEmptyNumber() const override { return RemoteErrorCode::RequestRefused; }

private:
    std::unique_ptr<SshdServer> m_server;
};

QTEST_MAIN(TestSftpSuite)
#include "tst_sftp_suite.moc"
