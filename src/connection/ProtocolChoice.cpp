#include "connection/ProtocolChoice.h"

#include "connection/ConnectChecks.h"
#include "remote/RemoteSettings.h"

#include <QComboBox>

namespace ProtocolChoice {

QStringList texts()
{
    return {QStringLiteral("FTP"), QStringLiteral("SFTP")};
}

QComboBox *newBox(const char *objectName)
{
    auto *box = new QComboBox;
    box->setObjectName(QLatin1String(objectName));
    box->setAccessibleName(QStringLiteral("协议"));
    box->addItems(texts());
    box->setCurrentIndex(int(RemoteProtocol::Ftp));
    return box;
}

int defaultPort(int protocol, int encryption)
{
    return protocol == int(RemoteProtocol::Sftp) ? ConnectChecks::SshPort
                                                 : ConnectChecks::defaultPortFor(encryption);
}

QString portAfterSwitch(int protocol, const QString &portText)
{
    const bool sftp = protocol == int(RemoteProtocol::Sftp);
    const QString from =
        QString::number(sftp ? ConnectChecks::DefaultPort : ConnectChecks::SshPort);
    if (portText.trimmed() != from)
        return portText;
    return QString::number(sftp ? ConnectChecks::SshPort : ConnectChecks::DefaultPort);
}

} // namespace ProtocolChoice
