#include "RecordingFtpServer.h"

#include <QFile>

bool RecordingFtpServer::start()
{
    QStringList arguments = {QStringLiteral(KORVU_FILEOPS_TESTS "/recording_ftpd.py"),
                             QStringLiteral("--root"),
                             m_root,
                             QStringLiteral("--port-file"),
                             m_process.workPath(QStringLiteral("port")),
                             QStringLiteral("--log"),
                             m_process.workPath(QStringLiteral("changes")),
                             QStringLiteral("--user"),
                             user(),
                             QStringLiteral("--password"),
                             password()};
    for (const QString &folder : m_readOnly)
        arguments << QStringLiteral("--read-only") << folder;
    for (const QString &folder : m_noRename)
        arguments << QStringLiteral("--no-rename") << folder;
    for (const QString &folder : m_closed)
        arguments << QStringLiteral("--closed") << folder;
    for (const QString &folder : m_unanswered)
        arguments << QStringLiteral("--unanswered") << folder;
    return m_process.start(FixtureProcess::python(), arguments,
                           m_process.workPath(QStringLiteral("port")));
}

QStringList RecordingFtpServer::takeChanges()
{
    QFile log(m_process.workPath(QStringLiteral("changes")));
    if (!log.open(QIODevice::ReadOnly) || !log.seek(m_read))
        return {};
    const QByteArray added = log.readAll();
    m_read += added.size();
    return QString::fromUtf8(added).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
