#pragma once

#include <QElapsedTimer>

class FtpEngine;

// Progress of one file: the first report as soon as data flows, then at most
// one every 100 ms, and a final one; a fast transfer never floods the
// caller's thread.
class FtpProgress
{
public:
    static constexpr qint64 IntervalMs = 100;

    FtpProgress(FtpEngine &engine, int code, qint64 expected);

    void add(qint64 bytes)
    {
        m_count += bytes;
        if (!m_reported || m_clock.hasExpired(IntervalMs))
            report();
    }
    void finish();
    qint64 count() const { return m_count; }

private:
    void report();

    FtpEngine &m_engine;
    int m_code;
    qint64 m_expected;
    qint64 m_count = 0;
    bool m_reported = false;
    QElapsedTimer m_clock;
};
