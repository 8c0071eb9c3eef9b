#include "remote/RateLimit.h"

#include "remote/RemoteInterrupt.h"

#include <algorithm>

void RateLimit::setRate(qint64 bytesPerSecond)
{
    const QMutexLocker lock(&m_mutex);
    if (!m_clock.isValid())
        m_clock.start();
    m_rate = qMax<qint64>(0, bytesPerSecond);
    // What was booked at the old pace is forgiven: the new one starts now.
    m_bookedUntilNs = m_clock.nsecsElapsed();
    ++m_generation;
}

qint64 RateLimit::rate() const
{
    const QMutexLocker lock(&m_mutex);
    return m_rate;
}

qint64 RateLimit::piece(qint64 wanted) const
{
    constexpr qint64 Smallest = 4 * 1024;
    const qint64 pace = rate();
    if (pace == 0)
        return wanted;
    // An eighth of a second's worth, as the burst.
    return qMin(wanted, qMax(Smallest, pace / 8));
}

bool RateLimit::draw(qint64 bytes, RemoteInterrupt &interrupt)
{
    quint64 generation = 0;
    {
        const QMutexLocker lock(&m_mutex);
        if (m_rate == 0 || bytes <= 0)
            return true;
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cost = qint64(double(bytes) * 1e9 / double(m_rate));
        m_bookedUntilNs = std::max(m_bookedUntilNs, now) + cost;
        generation = m_generation;
    }
    for (;;) {
        const qint64 waitNs = remainingNs(generation);
        if (waitNs <= 0)
            return true;
        if (interrupt.stopRequested() || interrupt.dropRequested())
            return false;
        const qint64 waitMs = (waitNs + 999'999) / 1'000'000;
        interrupt.waitForWake(int(qMin(waitMs, LookAgainMs)));
    }
}

qint64 RateLimit::remainingNs(quint64 generation) const
{
    const QMutexLocker lock(&m_mutex);
    if (m_rate == 0 || generation != m_generation)
        return 0;
    return m_bookedUntilNs - BurstNs - m_clock.nsecsElapsed();
}
