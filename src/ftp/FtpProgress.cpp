#include "ftp/FtpProgress.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"

FtpProgress::FtpProgress(FtpContext &context, QElapsedTimer &clock, int code, qint64 expected)
    : m_context(context), m_clock(clock), m_code(code), m_expected(expected)
{}

void FtpProgress::report()
{
    const bool upload =
        m_code == FtpEvent::UploadFileProgress || m_code == FtpEvent::UploadManyProgress;
    m_context.report(
        m_code, FtpCategory::Information,
        (upload ? QStringLiteral("已上传 %1 字节") : QStringLiteral("已下载 %1 字节")).arg(m_count),
        m_count, m_expected);
    m_reported = m_count;
    m_clock.restart();
}

void FtpProgress::finish()
{
    if (m_reported != m_count)
        report();
}
