#pragma once

#include <QString>

// The remote pane as the connection sees it: what a log-in, a log-out and a
// lost session do to the listing on show.
class RemoteBrowser
{
public:
    virtual ~RemoteBrowser() = default;

    // Lists `path` on the server into the pane (when connected).
    virtual void DoRemoteRefresh(const QString &path) = 0;
    virtual void SortRemoteByName() = 0;
    // Empties the list (a new connection, a closed one).
    virtual void clearRows() = 0;
    // Empties the folder box (log-out, a closed connection, a new one).
    virtual void clearDirectoryBox() = 0;
};
