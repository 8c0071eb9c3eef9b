#include "ftp/FtpSecurity.h"

#include "ftp/FtpContext.h"
#include "ftp/FtpErrors.h"

FtpSecurity::FtpSecurity(FtpContext &context, const QString &host, int port)
    : m_context(context), m_host(host), m_port(port), m_mode(context.settings().encryption)
{}

bool FtpSecurity::required() const
{
    return m_mode == RemoteEncryption::ExplicitRequired || m_mode == RemoteEncryption::Implicit;
}

void FtpSecurity::beforeGreeting()
{
    if (m_mode == RemoteEncryption::Implicit)
        handshake();
}

void FtpSecurity::beforeLogin()
{
    if (m_mode != RemoteEncryption::ExplicitIfOffered &&
        m_mode != RemoteEncryption::ExplicitRequired)
        return;
    FtpControlConnection &control = m_context.control();
    const FtpReply reply = control.command("AUTH", "TLS");
    if (reply.code == 234) {
        handshake();
        return;
    }
    if (required())
        throw FtpErrors::own(RemoteErrorCode::TlsRefused,
                             RemoteText(RemoteMessage::TlsRefusedRequired, {control.text(reply)}));
    m_context.note(RemoteActivityKind::EncryptionNote, RemoteMessage::TlsNotOffered);
}

void FtpSecurity::handshake()
{
    FtpControlConnection &control = m_context.control();
    FtpTlsContext &tls = m_context.tls();
    control.startTls(tls, m_host);
    ssl_st *connection = control.socket().tls();
    if (std::optional<RemoteCertificate> certificate = FtpTlsContext::unverified(connection)) {
        certificate->host = m_host;
        certificate->port = m_port;
        const int answer = m_context.askAboutCertificate(*certificate);
        if (answer != RemoteTrust::Once && answer != RemoteTrust::Always)
            throw FtpErrors::own(
                RemoteErrorCode::CertificateRefused,
                RemoteText(RemoteMessage::CertificateRefused, {problemText(*certificate)}));
        m_context.note(RemoteActivityKind::EncryptionNote,
                       RemoteText(RemoteMessage::CertificateTrusted,
                                  {problemText(*certificate), certificate->fingerprint}));
    }
    tls.controlEstablished(connection);
    m_context.note(RemoteActivityKind::Encrypted,
                   RemoteText(RemoteMessage::TlsEstablished, {FtpTlsContext::protocol(connection),
                                                              FtpTlsContext::cipher(connection)}));
}

void FtpSecurity::afterLogin()
{
    FtpControlConnection &control = m_context.control();
    if (!control.isEncrypted())
        return;
    // PBSZ 0 is a formality TLS needs before PROT (its buffer is unbounded).
    FtpReply reply = control.command("PBSZ", "0");
    if (reply.isPositive())
        reply = control.command("PROT", "P");
    if (reply.isPositive()) {
        m_context.setDataProtected(true);
        return;
    }
    if (required())
        throw FtpErrors::own(
            RemoteErrorCode::TlsRefused,
            RemoteText(RemoteMessage::DataTlsRefusedRequired, {control.text(reply)}));
    m_context.note(RemoteActivityKind::EncryptionNote, RemoteMessage::DataTlsNotOffered);
}
