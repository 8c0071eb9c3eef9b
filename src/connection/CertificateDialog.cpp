#include "connection/CertificateDialog.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"

#include <QFormLayout>
#include <QLabel>

namespace {

QString dateText(const QDateTime &when)
{
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QStringLiteral("未知");
}

} // namespace

CertificateDialog::CertificateDialog(const RemoteCertificate &certificate,
                                     const QString &remembered, QWidget *parent)
    : TrustDialog(parent)
{
    setObjectName(QStringLiteral("frmCertificate"));
    setWindowTitle(QStringLiteral("服务器证书"));

    const QString server =
        QStringLiteral("%1（端口 %2）").arg(certificate.host).arg(certificate.port);
    const bool changed = !remembered.isEmpty();
    const QString headline =
        changed ? QStringLiteral("警告：服务器 %1 出示的证书与您先前选择始终信任的证书不同！"
                                 "服务器可能更换了证书，也可能有人在冒充这台服务器。"
                                 "除非您确知证书已经更换，请拒绝连接。")
                      .arg(server)
                : QStringLiteral("无法验证服务器 %1 的证书。请核对下面的指纹，"
                                 "确认这正是您要连接的服务器，再决定是否信任它。")
                      .arg(server);
    auto *details = new QFormLayout;
    details->addRow(QStringLiteral("原因:"),
                    field("lblProblem", RemoteTexts::problem(certificate)));
    details->addRow(QStringLiteral("颁发给:"), field("lblSubject", certificate.subject));
    details->addRow(QStringLiteral("颁发者:"), field("lblIssuer", certificate.issuer));
    details->addRow(QStringLiteral("有效期:"),
                    field("lblValidity", QStringLiteral("%1 至 %2")
                                             .arg(dateText(certificate.validFrom),
                                                  dateText(certificate.validUntil))));
    details->addRow(QStringLiteral("SHA-256 指纹:"),
                    field("lblFingerprint", certificate.fingerprint, true));
    if (changed)
        details->addRow(QStringLiteral("先前信任的指纹:"),
                        field("lblRemembered", remembered, true));

    assemble(headline, changed, details,
             {trustButton("cmdTrustOnce", QStringLiteral("信任一次(&O)"), RemoteTrust::Once),
              trustButton("cmdTrustAlways", QStringLiteral("始终信任(&A)"), RemoteTrust::Always)});
}
