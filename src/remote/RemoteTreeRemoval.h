#pragma once

#include "remote/RemoteEngine.h"

#include <QString>

class RemoteEventSink;
class RemoteInterrupt;

// RemoveTree: a folder on the server with everything in it, removed on the
// session's worker thread inside RemoteEngine::walk, one walk
// (RemoteTreeWalk) over the engine's steps. What goes is only what the
// server lists inside the folder it confirms it entered, under exactly the
// path asked for: a server that ends up elsewhere gets nothing deleted
// there. A link is removed as the link it is and never walked; a folder row
// is first sent a file delete, which a link takes and a folder refuses (some
// servers list a link to a folder as a folder and then name the link as the
// folder they are in), and only what refuses is walked. Each entry removed
// is reported (EntryRemoved); the walk goes on past refusals and comes back
// to the directory it started in.
class RemoteTreeRemoval
{
public:
    RemoteTreeRemoval(RemoteEngine &engine, RemoteEventSink &sink,
                      const RemoteInterrupt &interrupt);

    // `folder`: an absolute path, sent as it stands.
    void remove(const QString &folder);

private:
    class ExactSide;
    class Delete;

    bool removedAsLink(const QString &path);
    void walkInside(const QString &folder);
    void leave(const QString &folder, const RemoteFolder &start);
    void removed(const QString &path);

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
};
