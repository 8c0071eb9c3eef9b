#pragma once

#include "remote/RemoteSession.h"

#include <memory>

class QObject;

// Makes the session for a site: the one place above the session interface
// that knows which engine speaks which protocol.
namespace RemoteSessions {

std::unique_ptr<RemoteSession> make(RemoteProtocol protocol, QObject *parent = nullptr);
// Makes `session` (one of make()'s) speak `protocol` from its next
// connection: the window keeps one session object whatever its sites speak.
// Only while it is closed and idle; false otherwise.
bool speak(RemoteSession &session, RemoteProtocol protocol);
// Another session to the same site: the same protocol, settings and
// question (a transfer that runs on a connection of its own).
std::unique_ptr<RemoteSession> makeLike(const RemoteSession &model, QObject *parent = nullptr);

} // namespace RemoteSessions
