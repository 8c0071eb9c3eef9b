#pragma once

#include "remote/RemoteSettings.h"

#include <QDateTime>
#include <QString>
#include <memory>

// Where the queue's connections go: the browsing session's protocol and
// settings, and who logs in. `name` is what the site is called, for the
// record rows and the store.
struct QueueSite
{
    RemoteProtocol protocol = RemoteProtocol::Ftp;
    RemoteSettings settings;
    RemoteLogin login;
    // Fingerprints of the certificates the user accepted for the browsing
    // session: the queue's connections trust them and ask nothing.
    QStringList trustedCertificates;

    bool sameServer(const QueueSite &other) const
    {
        return protocol == other.protocol && login.host == other.login.host &&
               login.port == other.login.port && login.user == other.login.user;
    }
};

// One file or folder of the transfer queue.
struct QueueItem
{
    enum class State
    {
        Waiting, // to be started, once `notBefore` has passed
        Running,
        Stopped, // by the user; started again, it resumes
    };

    int id = 0;
    bool upload = false;
    bool folder = false; // copied whole (DownloadMany/UploadMany)
    QString localPath;   // the file or folder on this side
    QString remotePath;  // and on the server
    qint64 size = -1;    // bytes; -1 unknown
    qint64 done = 0;     // bytes on the target side so far
    qint64 bytesPerSecond = 0;
    State state = State::Waiting;
    // Go on from what the target already holds instead of starting over.
    bool resume = false;
    // The conflict question was answered (or not needed) for this item.
    bool decided = false;
    // Uploads: what the remote pane listed at the target when the command
    // ran (size -1: not given), for the conflict question.
    bool targetListed = false;
    qint64 targetSize = 0;
    // Read back from the store: it waits until the user has logged in to
    // its server again, whose password it does not know.
    bool awaitingLogin = false;
    int retries = 0;
    bool verified = false; // done, and the server's hash vouched for it
    QDateTime notBefore;
    // Items handed over by one command: a "全部" answer covers them.
    int batch = 0;
    std::shared_ptr<const QueueSite> site;

    QString name() const;
};
