#include "connection/CertificateTrust.h"

#include "connection/CertificateDialog.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "window/HelpLauncher.h"

#include <QDir>

CertificateTrust::CertificateTrust(QWidget *window, SessionLog &log, const QString &storePath)
    : window(window), log(log), store(storePath)
{}

int CertificateTrust::ask(const RemoteCertificate &certificate)
{
    QString remembered;
    const TrustedCertificates::Verdict verdict =
        store.check(certificate.host, certificate.port, certificate.fingerprint, &remembered);
    if (verdict == TrustedCertificates::Verdict::Trusted)
        return RemoteTrust::Once;
    int answer = RemoteTrust::Refuse;
    {
        CertificateDialog dialog(
            certificate, verdict == TrustedCertificates::Verdict::Changed ? remembered : QString(),
            window);
        HelpLauncher::setTopic(&dialog, QStringLiteral("connect.html"));
        dialog.exec();
        answer = dialog.answer();
    }
    if (answer == RemoteTrust::Always &&
        !store.remember(certificate.host, certificate.port, certificate.fingerprint))
        log.append(QStringLiteral("无法保存信任的证书（%1），下次连接时会再次询问\r\n")
                       .arg(QDir::toNativeSeparators(store.path())));
    return answer;
}
