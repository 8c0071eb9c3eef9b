#include "sftp/SftpProgress.h"

SftpProgress::SftpProgress(SftpEventSink &sink, SftpActivity kind, const QString &subject,
                           qint64 total)
    : m_sink(sink), m_kind(kind), m_subject(subject), m_total(total)
{
    m_clock.start();
}

void SftpProgress::report()
{
    m_sink.activity({m_kind, m_subject, {}, m_count, m_total});
    m_reported = m_count;
    m_clock.restart();
}

void SftpProgress::finish()
{
    if (m_reported != m_count)
        report();
}
