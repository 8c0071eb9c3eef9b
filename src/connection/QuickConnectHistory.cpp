#include "connection/QuickConnectHistory.h"

#include "platform/SettingsStore.h"
#include "remote/RemoteCodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace {
constexpr int highestPort = 65535;

QJsonObject toJson(const QuickConnectHistory::Server &server)
{
    return {{QStringLiteral("host"), server.host},
            {QStringLiteral("user"), server.user},
            {QStringLiteral("port"), server.port},
            {QStringLiteral("protocol"), server.protocol},
            {QStringLiteral("encryption"), server.encryption}};
}

std::optional<QuickConnectHistory::Server> fromJson(const QJsonObject &object)
{
    QuickConnectHistory::Server server;
    server.host = object.value(QStringLiteral("host")).toString().trimmed();
    server.user = object.value(QStringLiteral("user")).toString();
    server.port = object.value(QStringLiteral("port")).toInt(-1);
    server.protocol = object.value(QStringLiteral("protocol")).toString(server.protocol);
    server.encryption =
        object.value(QStringLiteral("encryption")).toInt(RemoteEncryption::ExplicitIfOffered);
    if (server.host.isEmpty() || server.port < 1 || server.port > highestPort)
        return std::nullopt;
    if (server.encryption < RemoteEncryption::Plain ||
        server.encryption > RemoteEncryption::Implicit)
        server.encryption = RemoteEncryption::ExplicitIfOffered;
    return server;
}
} // namespace

bool QuickConnectHistory::Server::sameServer(const Server &other) const
{
    return host.compare(other.host, Qt::CaseInsensitive) == 0 && user == other.user &&
           port == other.port && protocol == other.protocol;
}

QList<QuickConnectHistory::Server> QuickConnectHistory::servers() const
{
    QList<Server> list;
    const QJsonArray stored = QJsonDocument::fromJson(settings.value(Key).toUtf8()).array();
    for (const QJsonValue &value : stored) {
        if (const std::optional<Server> server = fromJson(value.toObject()))
            list.append(*server);
        if (list.size() == Capacity)
            break;
    }
    return list;
}

void QuickConnectHistory::remember(const Server &server)
{
    QJsonArray kept{toJson(server)};
    for (const Server &older : servers()) {
        if (kept.size() == Capacity)
            break;
        if (!older.sameServer(server))
            kept.append(toJson(older));
    }
    settings.setValue(Key, QString::fromUtf8(QJsonDocument(kept).toJson(QJsonDocument::Compact)));
}
