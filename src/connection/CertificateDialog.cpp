#include "connection/CertificateDialog.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *field(const char *name, const QString &text, bool fixedPitch = false)
{
    auto *label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    if (fixedPitch)
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return label;
}

QString dateText(const QDateTime &when)
{
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QStringLiteral("未知");
}

} // namespace

CertificateDialog::CertificateDialog(const RemoteCertificate &certificate,
                                     const QString &remembered, QWidget *parent)
    : QDialog(parent), trust(RemoteTrust::Refuse)
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
    auto *lblHeadline = field("lblHeadline", headline);
    if (changed)
        lblHeadline->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));

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

    const auto button = [this](const char *name, const QString &text, int answer) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, answer] { choose(answer); });
        return b;
    };
    QPushButton *cmdTrustOnce =
        button("cmdTrustOnce", QStringLiteral("信任一次(&O)"), RemoteTrust::Once);
    QPushButton *cmdTrustAlways =
        button("cmdTrustAlways", QStringLiteral("始终信任(&A)"), RemoteTrust::Always);
    QPushButton *cmdRefuse = button("cmdRefuse", QStringLiteral("拒绝(&R)"), RemoteTrust::Refuse);
    // Enter must not trust by accident.
    cmdTrustOnce->setAutoDefault(false);
    cmdTrustAlways->setAutoDefault(false);
    cmdRefuse->setDefault(true);
    cmdRefuse->setFocus();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdTrustOnce);
    buttons->addWidget(cmdTrustAlways);
    buttons->addWidget(cmdRefuse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeadline);
    layout->addLayout(details);
    // Room the texts do not need goes below them, not between them.
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(560);
}

void CertificateDialog::choose(int answer)
{
    trust = answer;
    if (answer == RemoteTrust::Refuse)
        reject();
    else
        accept();
}
