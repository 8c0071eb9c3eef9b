#pragma once

#include "sftp/SftpEventSink.h"

#include <QElapsedTimer>

// Progress of one file: at most ten reports a second, and one final report
// with the full count, so a fast transfer never floods the caller's thread.
class SftpProgress
{
public:
    static constexpr qint64 IntervalMs = 100;

    SftpProgress(SftpEventSink &sink, SftpActivity kind, const QString &subject, qint64 total);

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

    SftpEventSink &m_sink;
    SftpActivity m_kind;
    QString m_subject;
    qint64 m_total;
    qint64 m_count = 0;
    qint64 m_reported = -1;
    QElapsedTimer m_clock;
};
