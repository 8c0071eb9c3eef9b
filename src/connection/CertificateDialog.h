#pragma once

#include "connection/TrustDialog.h"
#include "remote/RemoteQuestion.h"

// "服务器证书" (object name frmCertificate): whether to trust a server
// certificate that the system could not verify. It shows the server, why
// the certificate could not be verified, whom it was issued to and by whom,
// its validity and its SHA-256 fingerprint. Given the fingerprint trusted
// earlier for the same server (`remembered`), it warns that the certificate
// has changed and shows both.
//
// The answer is an RemoteTrust: 信任一次 (once), 始终信任 (always) or 拒绝
// (refuse), which is also what Escape and the close box give.
class CertificateDialog : public TrustDialog
{
    Q_OBJECT

public:
    CertificateDialog(const RemoteCertificate &certificate, const QString &remembered,
                      QWidget *parent = nullptr);
};
