#pragma once

#include <QString>

class RemoteEngine;
class RemoteEventSink;
class RemoteInterrupt;

// ChangePermissionsMany: the permissions of everything inside a folder,
// changed on the session's worker thread inside RemoteEngine::walk, one walk
// (RemoteTreeWalk) over the engine's steps. Each folder is changed once its
// contents are done, so that taking away its owner's rights does not lock
// the walk out of it. Links are taken as they are and left alone: changing
// a link changes what it leads to, which may lie anywhere. The walk comes
// back to the directory it started in.
class RemoteTreePermissions
{
public:
    RemoteTreePermissions(RemoteEngine &engine, RemoteEventSink &sink,
                          const RemoteInterrupt &interrupt);

    // `filePermissions`, `folderPermissions`: octal digits read as decimal;
    // -1 leaves that kind as it is.
    void change(const QString &folder, int filePermissions, int folderPermissions);

private:
    class Chmod;

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
};
