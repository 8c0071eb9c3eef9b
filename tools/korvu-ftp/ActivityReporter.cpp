#include "ActivityReporter.h"

#include "Console.h"
#include "ProgressBar.h"
#include "ftp/FtpCodes.h"
#include "ftp/FtpError.h"

#include <QFileInfo>

ActivityReporter::ActivityReporter(ProgressBar &progress) : m_progress(progress) {}

void ActivityReporter::onActivity(int code, int category, const QString &text, qint64 count,
                                  const QVariant &extra)
{
    switch (code) {
    case FtpEvent::FileStarted:
        m_progress.startFile(QFileInfo(extra.toString()).fileName());
        break;
    case FtpEvent::DownloadFileProgress:
    case FtpEvent::DownloadManyProgress:
    case FtpEvent::UploadManyProgress:
    case FtpEvent::UploadFileProgress:
        m_progress.update(count, extra.toLongLong());
        break;
    case FtpEvent::FileTransferred:
        m_progress.finishFile(count);
        break;
    default:
        break;
    }
    if (category != FtpCategory::Failure)
        return;
    if (m_held)
        print(std::exchange(m_held, std::nullopt)->text);
    if (code == FtpEvent::OperationFailed)
        m_held = Held{count, text};
    else
        print(text);
}

void ActivityReporter::finish(const FtpError *error)
{
    if (m_held) {
        const bool same = error && error->number == m_held->number &&
                          m_held->text.trimmed() == error->description.trimmed();
        if (!same)
            print(m_held->text);
        m_held.reset();
    }
    m_progress.clear();
}

void ActivityReporter::print(const QString &text)
{
    m_progress.clear();
    Console::printMessage(text);
}
