#pragma once

#include <QString>
#include <QStringList>

// The local computer's network details shown by the about dialog.
struct NetworkDetails
{
    QString description; // the socket layer
    QString hostName;
    int majorVersion = 0;
    int minorVersion = 0;
    QString status;
    QStringList addresses; // in the order the system reports them
};

class NetworkInfo
{
public:
    virtual ~NetworkInfo() = default;
    virtual NetworkDetails details() const = 0;
};

class FixedNetworkInfo : public NetworkInfo
{
public:
    explicit FixedNetworkInfo(NetworkDetails d) : d(std::move(d)) {}
    NetworkDetails details() const override { return d; }

private:
    NetworkDetails d;
};
