#pragma once

#include <QString>
#include <functional>

class QDeadlineTimer;
class RemoteInterrupt;

// The TCP connection under SSH, made by the engine rather than by libssh:
// its connect then answers a stop and a drop at once, and the time-out
// bounds it, like every other wait of the session.
namespace SftpTcp {

// Resolves `host` and connects to its addresses in turn; returns the
// connected (non-blocking) socket. `connecting` hears each address tried
// ("192.0.2.1 port 22"). Throws SftpError HostNotFound, CannotConnect,
// TimedOut or Dropped, and SftpStopRequest.
int connect(const QString &host, int port, int timeoutMs, RemoteInterrupt &interrupt,
            const std::function<void(const QString &where)> &connecting);

// Throws what wait() throws for a drop, a stop (when `stoppable`) or a
// deadline that has passed; returns at once otherwise.
void check(const QDeadlineTimer &deadline, RemoteInterrupt &interrupt, bool stoppable);

// Waits until `fd` is ready for `events` or the interrupt's pipe wakes,
// whichever comes first, at most until `deadline`; returns the events seen
// on `fd` (0 when woken or when the deadline passed). Throws SftpError
// Dropped when a drop was asked for, SftpStopRequest on a stop when
// `stoppable`, TimedOut once the deadline has passed.
short wait(int fd, short events, const QDeadlineTimer &deadline, RemoteInterrupt &interrupt,
           bool stoppable);

} // namespace SftpTcp
