#include "sftp/SftpPace.h"

#include "remote/RateLimit.h"
#include "sftp/SftpTcp.h"

#include <QDeadlineTimer>

SftpPace::SftpPace(RateLimit *limit, RemoteInterrupt &interrupt)
    : m_limit(limit), m_interrupt(interrupt)
{}

quint32 SftpPace::piece(quint32 wanted) const
{
    return m_limit ? quint32(m_limit->piece(wanted)) : wanted;
}

qsizetype SftpPace::inFlight(qsizetype most, quint32 piece) const
{
    const qint64 rate = m_limit ? m_limit->rate() : 0;
    if (rate == 0)
        return most;
    return qBound<qsizetype>(qMin<qsizetype>(2, most), rate / 4 / qMax<quint32>(piece, 1), most);
}

void SftpPace::pay(qint64 bytes)
{
    if (m_limit && !m_limit->draw(bytes, m_interrupt))
        SftpTcp::check(QDeadlineTimer(QDeadlineTimer::Forever), m_interrupt, true);
}
