#pragma once

#include <QDateTime>
#include <QString>

// A server certificate that could not be verified, as the session puts the
// question to its caller (FtpSession::setCertificateQuestion).
struct FtpCertificate
{
    // Where the session connects: the host as given to OpenConnection and
    // the port. A caller that remembers its answer does so for both.
    QString host;
    int port = 0;
    // Distinguished names, most significant part last ("CN=ftp.example,O=...").
    QString subject;
    QString issuer;
    QDateTime validFrom; // UTC
    QDateTime validUntil;
    // SHA-256 of the certificate (DER), upper-case hex pairs joined by ":".
    QString fingerprint;
    // Why it could not be verified, in Chinese ("自签名证书", "证书已过期", ...).
    QString problem;
};
