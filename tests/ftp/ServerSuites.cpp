#include "ServerSuites.h"

#include "SessionRecorder.h"

bool SuiteTls::prepare(QString &why)
{
    if (!enabled() || m_certificate.make(m_keys.path(), QStringLiteral("server")))
        return true;
    why = m_certificate.error();
    return false;
}

void SuiteTls::configure(RemoteSession &session) const
{
    if (!enabled())
        return;
    session.setEncryption(m_encryption);
    const QString trusted = m_certificate.fingerprint();
    session.setQuestion(certificateQuestion([trusted](const RemoteCertificate &certificate) {
        return certificate.fingerprint == trusted ? RemoteTrust::Once : RemoteTrust::Refuse;
    }));
}

bool VsftpdSuite::startServer(const QString &root, QString &why)
{
    if (!m_tls.prepare(why))
        return false;
    m_server = std::make_unique<VsftpdServer>(root);
    if (m_tls.enabled())
        m_server->setTls(m_tls.implicit(), m_tls.certificate());
    if (m_server->start())
        return true;
    why = m_server->error();
    return false;
}

bool PyFtpdSuite::startServer(const QString &root, QString &why)
{
    if (!m_tls.prepare(why))
        return false;
    m_server = std::make_unique<PyFtpdServer>(root);
    if (m_tls.enabled())
        m_server->setTls(m_tls.implicit() ? PyFtpdServer::Tls::Implicit
                                          : PyFtpdServer::Tls::ExplicitRequired,
                         m_tls.certificate());
    if (m_server->start())
        return true;
    why = m_server->error();
    return false;
}
