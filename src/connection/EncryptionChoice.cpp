#include "connection/EncryptionChoice.h"

#include "remote/RemoteCodes.h"

#include <QComboBox>

namespace EncryptionChoice {

QStringList texts()
{
    return {QStringLiteral("不加密（普通 FTP）"), QStringLiteral("TLS 加密（服务器支持时）"),
            QStringLiteral("TLS 加密（必须）"), QStringLiteral("隐式 TLS 加密（FTPS）")};
}

QComboBox *newBox(const char *objectName)
{
    auto *box = new QComboBox;
    box->setObjectName(QLatin1String(objectName));
    box->addItems(texts());
    box->setCurrentIndex(RemoteEncryption::ExplicitIfOffered);
    return box;
}

} // namespace EncryptionChoice
