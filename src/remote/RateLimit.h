#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QtGlobal>
#include <memory>

class RemoteInterrupt;

// A speed limit that any number of transfers on any number of threads draw
// from together, so that they share it rather than each getting the whole.
//
// Each draw is booked against a clock that runs at the limit's pace (a
// generic cell rate algorithm): a draw moves the booking on by its bytes'
// worth of time and the caller waits until the booking is no further ahead
// of now than a short burst. Draws wait in the order they came, and a
// connection that was idle cannot save up more than that burst. Changing
// the limit lets every wait in hand go at once and books from now on at the
// new pace, so a change applies to transfers already running.
class RateLimit
{
public:
    // Bytes a second; 0 (or less): no limit.
    void setRate(qint64 bytesPerSecond);
    qint64 rate() const;

    // The most a transfer should move in one piece under the limit: a piece
    // is paid for in one wait, and small pieces keep the pace even and the
    // sharing fair. `wanted` when there is no limit.
    qint64 piece(qint64 wanted) const;

    // Books `bytes` and waits until they are paid for, on `interrupt`'s pipe,
    // so that a stop or a drop ends the wait at once (false: the caller ends
    // its transfer). Never spins: it sleeps, waking at most a few times a
    // second to see a changed limit.
    bool draw(qint64 bytes, RemoteInterrupt &interrupt);

private:
    static constexpr qint64 BurstNs = 125'000'000;
    static constexpr qint64 LookAgainMs = 200;

    // How long the caller of a draw booked in `generation` still waits, in
    // nanoseconds; 0 when the limit was lifted or changed since.
    qint64 remainingNs(quint64 generation) const;

    mutable QMutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_rate = 0;
    qint64 m_bookedUntilNs = 0;
    quint64 m_generation = 0;
};

// The limits a session's transfers draw from; null: no limit. Shared by the
// sessions that share them, and changed in place.
struct RemoteRateLimits
{
    std::shared_ptr<RateLimit> download;
    std::shared_ptr<RateLimit> upload;
};
