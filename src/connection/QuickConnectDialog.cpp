#include "connection/QuickConnectDialog.h"

#include "connection/ConnectChecks.h"
#include "connection/EncryptionChoice.h"
#include "connection/ProtocolChoice.h"
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
int protocolOf(const QString &text)
{
    return std::max(0, int(ProtocolChoice::texts().indexOf(text)));
}

bool usualPort(const QuickConnectHistory::Server &server)
{
    return server.port ==
           ProtocolChoice::defaultPort(protocolOf(server.protocol), server.encryption);
}

// "sftp://user@host:port" typed into the address box: the server it names;
// nothing for any other text, which is an address as it stands.
std::optional<RemoteUrl> typedLink(const QString &text)
{
    if (!text.trimmed().startsWith(QLatin1String("sftp://"), Qt::CaseInsensitive))
        return std::nullopt;
    return RemoteUrl::parse(text.trimmed(), nullptr);
}
// "user@host:port" as a link would name it; the user and the port only when
// they are not the ones an empty box means, and the scheme for SFTP.
QString listText(const QuickConnectHistory::Server &server)
{
    QString text =
        server.user.isEmpty() ? server.host : server.user + QLatin1Char('@') + server.host;
    if (!usualPort(server))
        text += QLatin1Char(':') + QString::number(server.port);
    if (protocolOf(server.protocol) == int(RemoteProtocol::Sftp))
        text = QStringLiteral("sftp://") + text;
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
    cobProtocol = ProtocolChoice::newBox("cobProtocol");

    cmdOK = new QPushButton(QStringLiteral("确定(&D)"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(QStringLiteral("协议(&R):"), cobProtocol);
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
    connect(cobProtocol, &QComboBox::currentIndexChanged, this, [this](int protocol) {
        // SSH encrypts by itself.
        cobEncryption->setEnabled(protocol != int(RemoteProtocol::Sftp));
    });
    connect(cobProtocol, &QComboBox::activated, this, [this](int protocol) {
        txtPort->setText(ProtocolChoice::portAfterSwitch(protocol, txtPort->text()));
    });
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
    cobProtocol->setCurrentIndex(protocolOf(server.protocol));
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
    cobProtocol->setCurrentIndex(int(url.protocol));
    const int defaultPort =
        ProtocolChoice::defaultPort(int(url.protocol), cobEncryption->currentIndex());
    txtPort->setText(url.port == defaultPort ? QString() : QString::number(url.port));
    if (anonymous)
        cmdOK->setFocus();
    else
        txtPass->setFocus();
}

void QuickConnectDialog::confirm()
{
    const int encryption = qMax(0, cobEncryption->currentIndex());
    if (const std::optional<RemoteUrl> link = typedLink(txtIP->text())) {
        // What the user typed into the other boxes stays.
        const QString user = txtUser->text();
        const QString password = txtPass->text();
        const QString port = txtPort->text();
        fillFrom(*link);
        if (!user.isEmpty())
            txtUser->setText(user);
        txtPass->setText(password);
        if (!port.trimmed().isEmpty())
            txtPort->setText(port);
    }
    const int protocol = qMax(0, cobProtocol->currentIndex());
    const std::optional<ConnectChecks::Server> server = ConnectChecks::serverFrom(
        prompts, txtIP->text(), txtPort->text(), ProtocolChoice::defaultPort(protocol, encryption));
    if (!server)
        return;
    // SSH has no anonymous log-in: without a name it logs in as the local
    // user, as ssh does.
    const bool sftp = protocol == int(RemoteProtocol::Sftp);
    const bool anonymous = txtUser->text().isEmpty();
    if (sftp)
        globals.gUser = anonymous ? qEnvironmentVariable("USER") : txtUser->text();
    else
        globals.gUser = anonymous ? QStringLiteral("anonymous") : txtUser->text();
    globals.gPassword = anonymous && !sftp ? AnonymousPassword : txtPass->text();
    globals.gHost = server->host;
    globals.gPort = server->port;
    globals.gPassive = true;
    globals.gTimeout = 30;
    globals.gEncoding = RemoteNameEncoding::Auto;
    globals.gEncryption = encryption;
    globals.gProtocol = protocol;
    globals.gKeyFile.clear();
    globals.gDialogCancelled = false;
    if (history) {
        QuickConnectHistory::Server remembered;
        remembered.host = server->host;
        remembered.user = anonymous ? QString() : txtUser->text();
        remembered.port = server->port;
        remembered.encryption = encryption;
        remembered.protocol = ProtocolChoice::texts().at(protocol);
        history->remember(remembered);
    }
    accept();
}
