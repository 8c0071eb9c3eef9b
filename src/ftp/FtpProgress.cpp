#include "ftp/FtpProgress.h"

#include "ftp/FtpContext.h"

FtpProgress::FtpProgress(FtpContext &context, QElapsedTimer &clock, RemoteActivityKind kind,
                         qint64 expected)
    : m_context(context), m_clock(clock), m_kind(kind), m_expected(expected)
{}

void FtpProgress::report()
{
    const bool upload = m_kind == RemoteActivityKind::UploadFileProgress ||
                        m_kind == RemoteActivityKind::UploadManyProgress;
    RemoteActivity activity = RemoteActivity::note(
        m_kind, RemoteText(upload ? RemoteMessage::UploadedBytes : RemoteMessage::DownloadedBytes,
                           {m_count}));
    activity.count = m_count;
    activity.total = m_expected;
    m_context.report(activity);
    m_reported = m_count;
    m_clock.restart();
}

void FtpProgress::finish()
{
    if (m_reported != m_count)
        report();
}
