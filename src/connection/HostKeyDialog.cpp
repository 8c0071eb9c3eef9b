#include "connection/HostKeyDialog.h"

#include "remote/RemoteCodes.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

HostKeyDialog::HostKeyDialog(const RemoteHostKey &key, const QString &changed, QWidget *parent)
    : TrustDialog(parent)
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

    auto *details = new QFormLayout;
    details->addRow(QStringLiteral("密钥类型:"), field("lblKeyType", key.type));
    details->addRow(QStringLiteral("SHA256 指纹:"), field("lblFingerprint", key.fingerprint, true));
    if (replaced)
        details->addRow(QStringLiteral("已知的指纹:"), field("lblKnown", changed, true));

    const QList<QPushButton *> trusting =
        replaced
            ? QList<QPushButton *>{trustButton("cmdReplace", QStringLiteral("替换已知密钥(&P)"),
                                               RemoteTrust::Always)}
            : QList<QPushButton *>{
                  trustButton("cmdTrustOnce", QStringLiteral("信任一次(&O)"), RemoteTrust::Once),
                  trustButton("cmdTrustAlways", QStringLiteral("始终信任(&A)"),
                              RemoteTrust::Always)};
    assemble(headline, replaced, details, trusting);
}
