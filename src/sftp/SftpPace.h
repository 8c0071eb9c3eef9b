#pragma once

#include <QtGlobal>

class RateLimit;
class RemoteInterrupt;

// A transfer's pace under a speed limit: every read or write request is
// paid for before it goes out, so the limit bounds what is in flight, and
// requests are no larger than the limit's pieces. Without a limit (nullptr)
// nothing waits and requests keep their size.
class SftpPace
{
public:
    SftpPace(RateLimit *limit, RemoteInterrupt &interrupt);

    quint32 piece(quint32 wanted) const;
    // How many requests of `piece` bytes to keep in flight, at most `most`:
    // under a limit, a quarter of a second's worth (at least two, so the
    // connection never idles between them), for what goes out is paid for.
    qsizetype inFlight(qsizetype most, quint32 piece) const;
    // Waits until `bytes` more may be asked for. Throws SftpStopRequest on a
    // stop, SftpError Dropped on a drop meanwhile.
    void pay(qint64 bytes);

private:
    RateLimit *m_limit;
    RemoteInterrupt &m_interrupt;
};
