#pragma once

#include "remote/RemoteActivity.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteQuestion.h"

// Where an engine, on its session's worker thread, sends what the caller
// should hear, and how it asks. WorkerSession forwards it all to the
// caller's thread as ActivityEvent, StateChangedEvent and the question.
class RemoteEventSink
{
public:
    virtual ~RemoteEventSink() = default;
    virtual void activity(const RemoteActivity &activity) = 0;
    // Entries of the listing ListDirectory reads, as they come, in order:
    // the caller may show them before the listing is whole. Every entry of
    // the listing comes this way, or none does (the session then hands over
    // the whole listing at its end). Those that come so are the session's
    // to keep: the engine's listing at the end no longer holds them.
    virtual void entriesRead(const QVector<RemoteEntry> &entries) = 0;
    // RemoteState; `encrypted`: the connection is encrypted, data
    // connections included.
    virtual void stateChanged(int state, bool encrypted) = 0;
    // Waits for the caller's answer, without a time-out (the user takes the
    // time he needs). Throws RemoteError 11116 when the connection is
    // dropped meanwhile, RemoteStopRequest on a stop.
    virtual RemoteAnswer ask(const RemoteQuestion &question) = 0;
};
