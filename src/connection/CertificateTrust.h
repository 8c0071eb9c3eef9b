#pragma once

#include "platform/TrustedCertificates.h"

struct RemoteCertificate;
class QWidget;
class SessionLog;

// The program's answer to the session's question about a server certificate
// the system could not verify: the certificate the user trusted always for
// that host and port is taken without asking; any other, a changed one
// above all, is put to the user in CertificateDialog (owned by `window`,
// F1 opens the connect help), and "始终信任" is remembered for the host and
// port in TrustedCertificates.
class CertificateTrust
{
public:
    // `storePath` empty: the file in the user's data folder.
    CertificateTrust(QWidget *window, SessionLog &log, const QString &storePath = QString());

    // RemoteTrust.
    int ask(const RemoteCertificate &certificate);

private:
    QWidget *window;
    SessionLog &log;
    TrustedCertificates store;
};
