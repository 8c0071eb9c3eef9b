#pragma once

#include "remote/RemoteActivity.h"

#include <QElapsedTimer>

class FtpContext;

// Progress of one file. Reports come at most every 100 ms, counted across
// all the files of one operation (a tree of small files does not report each
// chunk), plus one final report per file with its full count; a fast
// transfer never floods the caller's thread.
class FtpProgress
{
public:
    static constexpr qint64 IntervalMs = 100;

    // `clock` runs for the whole operation and is restarted by each report.
    FtpProgress(FtpContext &context, QElapsedTimer &clock, RemoteActivityKind kind,
                qint64 expected);

    void add(qint64 bytes)
    {
        m_count += bytes;
        if (m_clock.hasExpired(IntervalMs))
            report();
    }
    // The final report, unless the last one already said the same.
    void finish();
    qint64 count() const { return m_count; }

private:
    void report();

    FtpContext &m_context;
    QElapsedTimer &m_clock;
    RemoteActivityKind m_kind;
    qint64 m_expected;
    qint64 m_count = 0;
    qint64 m_reported = -1;
};
