#pragma once

#include <QList>
#include <QString>

class SettingsStore;

// The servers quick connect was last confirmed with, newest first, at most
// ten, kept in the settings store ("QuickConnectHistory"). A password is
// never kept: it is typed again.
class QuickConnectHistory
{
public:
    static constexpr int Capacity = 10;
    static inline const QString Key = QStringLiteral("QuickConnectHistory");

    struct Server
    {
        QString host;
        QString user; // empty: anonymous
        int port = 21;
        QString protocol = QStringLiteral("FTP");
        int encryption = 0; // RemoteEncryption

        // The same server: everything but the encryption, which a later
        // confirmation may have changed.
        bool sameServer(const Server &other) const;
    };

    explicit QuickConnectHistory(SettingsStore &settings) : settings(settings) {}

    // Newest first. Entries the store cannot hold for a server (no address,
    // no port in range) are left out.
    QList<Server> servers() const;
    // `server` becomes the newest; an older entry for it goes, and the
    // oldest beyond ten.
    void remember(const Server &server);

private:
    SettingsStore &settings;
};
