#pragma once

#include "remote/RemoteText.h"
#include "remote/RemoteTreeWalk.h"

#include <functional>

class RemoteEngine;
class RemoteEventSink;
class RemoteInterrupt;
struct RemoteFolder;

// Runs `steps` (a walk) from the current directory, which it is given, and
// always tries to go back there, after an error too (the first error is the
// one thrown). Entries the walk left out, the count `steps` returns, fail it
// at the end as `doing` left incomplete.
void walkFromHere(RemoteEngine &engine, RemoteMessage doing,
                  const std::function<int(const RemoteFolder &start)> &steps);

// A walk on the session's worker thread: it reports to the session's caller
// and stops or ends as the caller asks.
class EngineWalkHost : public RemoteTreeWalk::Host
{
public:
    EngineWalkHost(RemoteEngine &engine, RemoteEventSink &sink, const RemoteInterrupt &interrupt)
        : m_engine(engine), m_sink(sink), m_interrupt(interrupt)
    {}

    void report(const RemoteActivity &activity) override;
    bool connected() const override;
    bool stopRequested() const override;
    bool dropRequested() const override;

private:
    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
};

// The server's side of a walk, on an engine's steps (the session's worker
// thread).
class EngineTreeSide : public RemoteTreeSide
{
public:
    explicit EngineTreeSide(RemoteEngine &engine) : m_engine(engine) {}

    std::optional<RemoteError> enter(const QString &name) override;
    TreeFolder confirm() override;
    RemoteListing list() override;
    bool back(const TreeFolder &folder) override;

private:
    RemoteEngine &m_engine;
};

// The disk's side of a walk. Folders are told by their canonical paths; a
// link names where it leads (its canonical target) so that the walk never
// follows one out of the tree. Entries come in name order, hidden ones
// included.
class LocalTreeSide : public RemoteTreeSide
{
public:
    // `folder`: where the walk is, as the caller names it.
    explicit LocalTreeSide(const QString &folder) : m_current(folder) {}

    std::optional<RemoteError> enter(const QString &name) override;
    TreeFolder confirm() override;
    RemoteListing list() override;
    bool back(const TreeFolder &folder) override;

private:
    QString m_current;
};
