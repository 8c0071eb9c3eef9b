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

namespace {
bool usualPort(const QuickConnectHistory::Server &server)
{
    return server.port == ConnectChecks::defaultPortFor(server.encryption);
}

// "user@host:port" as a link would name it; the user and the port only when
// they are not the ones an empty box means.
QString listText(const QuickConnectHistory::Server &server)
{
    QString text =
        server.user.isEmpty() ? server.host : server.user + QLatin1Char('@') + server.host;
    if (!usualPort(server))
        text += QLatin1Char(':') + QString::number(server.port);
    return text;
}
} // namespace

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
    // The address box's list holds the servers confirmed before; its text
    // is the address alone.
    cmbIP = new QComboBox;
    cmbIP->setObjectName(QStringLiteral("cmbIP"));
    cmbIP->setEditable(true);
    cmbIP->setInsertPolicy(QComboBox::NoInsert);
    cmbIP->setCompleter(nullptr);
    txtIP = cmbIP->lineEdit();
    txtIP->setObjectName(QStringLiteral("txtIP"));
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
    fields->addRow(QStringLiteral("&IP地址:"), cmbIP);
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
    connect(cmbIP, &QComboBox::activated, this, &QuickConnectDialog::pickServer);
}

void QuickConnectDialog::useHistory(QuickConnectHistory &newHistory)
{
    history = &newHistory;
    servers = history->servers();
    for (const QuickConnectHistory::Server &server : std::as_const(servers))
        cmbIP->addItem(listText(server));
    if (!servers.isEmpty()) {
        cmbIP->setCurrentIndex(0);
        pickServer(0);
    }
}

void QuickConnectDialog::pickServer(int index)
{
    if (index < 0 || index >= servers.size())
        return;
    const QuickConnectHistory::Server &server = servers.at(index);
    txtIP->setText(server.host);
    txtUser->setText(server.user);
    txtPass->clear();
    cobEncryption->setCurrentIndex(server.encryption);
    txtPort->setText(usualPort(server) ? QString() : QString::number(server.port));
    if (server.user.isEmpty())
        cmdOK->setFocus();
    else
        txtPass->setFocus();
}

void QuickConnectDialog::fillFrom(const RemoteUrl &url)
{
    txtIP->setText(url.host);
    const bool anonymous = url.user.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0;
    txtUser->setText(anonymous ? QString() : url.user);
    txtPass->clear();
    // The link's server, not the last one remembered: its own encryption.
    cobEncryption->setCurrentIndex(url.implicitTls ? RemoteEncryption::Implicit
                                                   : RemoteEncryption::ExplicitIfOffered);
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
    if (history) {
        QuickConnectHistory::Server remembered;
        remembered.host = server->host;
        remembered.user = anonymous ? QString() : txtUser->text();
        remembered.port = server->port;
        remembered.encryption = encryption;
        history->remember(remembered);
    }
    accept();
}
