#include "platform/SystemNetworkInfo.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QtGlobal>

NetworkDetails SystemNetworkInfo::details() const
{
    NetworkDetails d;
    d.description = QStringLiteral("Qt Network %1").arg(QString::fromLatin1(qVersion()));
    d.hostName = QHostInfo::localHostName();
    d.majorVersion = QT_VERSION_MAJOR;
    d.minorVersion = QT_VERSION_MINOR;
    // The socket layer is part of the program itself: if this code runs, it
    // is up.
    d.status = QStringLiteral("运行中");
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        d.addresses.append(address.toString());
    return d;
}
