#include "ActivityReporter.h"

#include "Console.h"
#include "ProgressBar.h"
#include "remote/RemoteTexts.h"

#include <QFileInfo>

ActivityReporter::ActivityReporter(ProgressBar &progress) : m_progress(progress) {}

void ActivityReporter::onActivity(const RemoteActivity &activity)
{
    switch (activity.kind) {
    case RemoteActivityKind::FileStarted:
        m_progress.startFile(QFileInfo(activity.localPath).fileName());
        break;
    case RemoteActivityKind::DownloadFileProgress:
    case RemoteActivityKind::DownloadManyProgress:
    case RemoteActivityKind::UploadManyProgress:
    case RemoteActivityKind::UploadFileProgress:
        m_progress.update(activity.count, activity.total);
        break;
    case RemoteActivityKind::FileTransferred:
        m_progress.finishFile(activity.count);
        break;
    default:
        break;
    }
    if (activity.category() != 2)
        return;
    const QString text = RemoteTexts::logLine(activity);
    if (m_held)
        print(std::exchange(m_held, std::nullopt)->text);
    if (activity.kind == RemoteActivityKind::ItemFailed)
        m_held = Held{activity.count, text};
    else
        print(text);
}

void ActivityReporter::finish(const RemoteError *error)
{
    if (m_held) {
        const bool same = error && error->number == m_held->number &&
                          m_held->text.trimmed() == RemoteTexts::description(*error).trimmed();
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
