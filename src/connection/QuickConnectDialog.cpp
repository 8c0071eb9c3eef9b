#include "connection/QuickConnectDialog.h"

#include "connection/ConnectChecks.h"
#include "connection/EncryptionChoice.h"
#include "platform/Globals.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteUrl.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QuickConnectDialog::QuickConnectDialog(Globals &globals, Prompts &prompts, QWidget *parent)
    : QDialog(parent), globals(globals), prompts(prompts)
{
    setObjectName(QStringLiteral("frmConnect"));
    setWindowTitle(QStringLiteral("快速连接"));
    buildControls();
}

void QuickConnectDialog::buildControls()
{
    const auto edit = [](const char *name) {
        auto *e = new QLineEdit;
        e->setObjectName(QLatin1String(name));
        return e;
    };
    txtIP = edit("txtIP");
    txtUser = edit("txtUser");
    txtPass = edit("txtPass");
    txtPass->setEchoMode(QLineEdit::Password);
    txtPort = edit("txtPort");
    cobEncryption = EncryptionChoice::newBox("cobEncryption");

    cmdOK = new QPushButton(QStringLiteral("确定(&D)"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(QStringLiteral("&IP地址:"), txtIP);
    fields->addRow(QStringLiteral("用户名(&U):"), txtUser);
    fields->addRow(QStringLiteral("密码(&P):"), txtPass);
    fields->addRow(QStringLiteral("端口(&P):"), txtPort);
    fields->addRow(QStringLiteral("加密(&E):"), cobEncryption);

    auto *note = new QLabel(QStringLiteral("提示:快速连接方式不保存连接地址及设置"));
    note->setObjectName(QStringLiteral("lblNote"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(note);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &QuickConnectDialog::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void QuickConnectDialog::fillFrom(const RemoteUrl &url)
{
    txtIP->setText(url.host);
    const bool anonymous = url.user.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0;
    txtUser->setText(anonymous ? QString() : url.user);
    if (url.implicitTls)
        cobEncryption->setCurrentIndex(RemoteEncryption::Implicit);
    const int defaultPort = ConnectChecks::defaultPortFor(cobEncryption->currentIndex());
    txtPort->setText(url.port == defaultPort ? QString() : QString::number(url.port));
    if (anonymous)
        cmdOK->setFocus();
    else
        txtPass->setFocus();
}

void QuickConnectDialog::confirm()
{
    const int encryption = qMax(0, cobEncryption->currentIndex());
    const std::optional<ConnectChecks::Server> server = ConnectChecks::serverFrom(
        prompts, txtIP->text(), txtPort->text(), ConnectChecks::defaultPortFor(encryption));
    if (!server)
        return;
    const bool anonymous = txtUser->text().isEmpty();
    globals.gUser = anonymous ? QStringLiteral("anonymous") : txtUser->text();
    globals.gPassword = anonymous ? AnonymousPassword : txtPass->text();
    globals.gHost = server->host;
    globals.gPort = server->port;
    globals.gPassive = true;
    globals.gTimeout = 30;
    globals.gEncoding = RemoteNameEncoding::Auto;
    globals.gEncryption = encryption;
    globals.gDialogCancelled = false;
    accept();
}
