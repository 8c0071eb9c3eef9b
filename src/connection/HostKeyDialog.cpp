#include "connection/HostKeyDialog.h"

#include "remote/RemoteCodes.h"

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

} // namespace

HostKeyDialog::HostKeyDialog(const RemoteHostKey &key, const QString &changed, QWidget *parent)
    : QDialog(parent), trust(RemoteTrust::Refuse)
{
    setObjectName(QStringLiteral("frmHostKey"));
    setWindowTitle(QStringLiteral("服务器主机密钥"));

    const QString server = QStringLiteral("%1（端口 %2）").arg(key.host).arg(key.port);
    const bool replaced = !changed.isEmpty();
    const QString headline =
        replaced
            ? QStringLiteral("警告：服务器 %1 的主机密钥已经改变！"
                             "有人可能正在窃听您的连接（中间人攻击），"
                             "也可能是服务器更换了主机密钥。"
                             "除非您确知密钥已经更换，请拒绝连接，并向服务器管理员核实新的指纹。")
                  .arg(server)
            : QStringLiteral("无法确认服务器 %1 的身份：它的主机密钥还不为本机所知。"
                             "请核对下面的指纹，确认这正是您要连接的服务器，再决定是否信任它。")
                  .arg(server);
    auto *lblHeadline = field("lblHeadline", headline);
    if (replaced)
        lblHeadline->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));

    auto *details = new QFormLayout;
    details->addRow(QStringLiteral("密钥类型:"), field("lblKeyType", key.type));
    details->addRow(QStringLiteral("SHA256 指纹:"), field("lblFingerprint", key.fingerprint, true));
    if (replaced)
        details->addRow(QStringLiteral("已知的指纹:"), field("lblKnown", changed, true));

    const auto button = [this](const char *name, const QString &text, int answer) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, answer] { choose(answer); });
        return b;
    };
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (replaced) {
        buttons->addWidget(
            button("cmdReplace", QStringLiteral("替换已知密钥(&P)"), RemoteTrust::Always));
    } else {
        buttons->addWidget(
            button("cmdTrustOnce", QStringLiteral("信任一次(&O)"), RemoteTrust::Once));
        buttons->addWidget(
            button("cmdTrustAlways", QStringLiteral("始终信任(&A)"), RemoteTrust::Always));
    }
    // Enter must not trust by accident.
    QPushButton *cmdRefuse = button("cmdRefuse", QStringLiteral("拒绝(&R)"), RemoteTrust::Refuse);
    cmdRefuse->setDefault(true);
    cmdRefuse->setFocus();
    buttons->addWidget(cmdRefuse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeadline);
    layout->addLayout(details);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(560);
}

void HostKeyDialog::choose(int answer)
{
    trust = answer;
    if (answer == RemoteTrust::Refuse)
        reject();
    else
        accept();
}
