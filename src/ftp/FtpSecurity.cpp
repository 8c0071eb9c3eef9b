#include "ftp/FtpSecurity.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"
#include "ftp/FtpError.h"

FtpSecurity::FtpSecurity(FtpContext &context, const QString &host, int port)
    : m_context(context), m_host(host), m_port(port), m_mode(context.settings().encryption)
{}

bool FtpSecurity::required() const
{
    return m_mode == FtpEncryption::ExplicitRequired || m_mode == FtpEncryption::Implicit;
}

void FtpSecurity::beforeGreeting()
{
    if (m_mode == FtpEncryption::Implicit)
        handshake();
}

void FtpSecurity::beforeLogin()
{
    if (m_mode != FtpEncryption::ExplicitIfOffered && m_mode != FtpEncryption::ExplicitRequired)
        return;
    FtpControlConnection &control = m_context.control();
    const FtpReply reply = control.command("AUTH", "TLS");
    if (reply.code == 234) {
        handshake();
        return;
    }
    if (required())
        throw FtpError{FtpErrorCode::TlsRefused,
                       QStringLiteral("服务器不支持 TLS 加密（%1），按设置不以明文连接")
                           .arg(control.text(reply))};
    m_context.report(FtpEvent::TlsNote, FtpCategory::Information,
                     QStringLiteral("服务器不支持 TLS 加密，以普通 FTP（不加密）继续"));
}

void FtpSecurity::handshake()
{
    FtpControlConnection &control = m_context.control();
    FtpTlsContext &tls = m_context.tls();
    control.startTls(tls, m_host);
    ssl_st *connection = control.socket().tls();
    if (std::optional<FtpCertificate> certificate = FtpTlsContext::unverified(connection)) {
        certificate->host = m_host;
        certificate->port = m_port;
        const int answer = m_context.askAboutCertificate(*certificate);
        if (answer != FtpTrust::Once && answer != FtpTrust::Always)
            throw FtpError{
                FtpErrorCode::CertificateRefused,
                QStringLiteral("服务器的证书不受信任（%1），连接已取消").arg(certificate->problem)};
        m_context.report(FtpEvent::TlsNote, FtpCategory::Information,
                         QStringLiteral("服务器的证书未通过验证（%1），已按用户的选择信任；"
                                        "SHA-256 指纹 %2")
                             .arg(certificate->problem, certificate->fingerprint));
    }
    tls.controlEstablished(connection);
    m_context.report(
        FtpEvent::TlsEstablished, FtpCategory::Information,
        QStringLiteral("已建立 TLS 加密连接：%1，%2")
            .arg(FtpTlsContext::protocol(connection), FtpTlsContext::cipher(connection)));
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
        throw FtpError{FtpErrorCode::TlsRefused,
                       QStringLiteral("服务器不接受加密的数据连接（%1），按设置不以明文传输")
                           .arg(control.text(reply))};
    m_context.report(FtpEvent::TlsNote, FtpCategory::Information,
                     QStringLiteral("服务器不接受加密的数据连接，文件和目录列表将以明文传输"));
}
