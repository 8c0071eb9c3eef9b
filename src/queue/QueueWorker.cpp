#include "queue/QueueWorker.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "remote/factory/RemoteSessions.h"

#include <QDir>
#include <QFileInfo>

QueueWorker::QueueWorker(std::shared_ptr<const QueueSite> site, RemoteRateLimits limits)
    : m_site(std::move(site)), m_limits(std::move(limits)), m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(QStringLiteral("queue connection"));
    m_context = new QObject;
    m_context->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_context, &QObject::deleteLater);
    m_thread->start();
}

QueueWorker::~QueueWorker()
{
    stop();
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            if (m_session && m_session->ConnectionState() == RemoteState::Connected) {
                try {
                    m_session->CloseConnection();
                } catch (const RemoteError &) {
                    // Closed afterwards all the same.
                }
            }
            m_session.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread->wait();
}

void QueueWorker::start(const QueueJob &job)
{
    QMetaObject::invokeMethod(
        m_context, [this, job] { run(job); }, Qt::QueuedConnection);
}

void QueueWorker::stop()
{
    // Reaches the session while its call waits in the nested loop.
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            if (m_session)
                m_session->StopTransfer();
        },
        Qt::QueuedConnection);
}

void QueueWorker::run(const QueueJob &job)
{
    if (!connectSession(job.id))
        return;
    try {
        transfer(job);
        Q_EMIT finished(job.id, 0, QString(), false, m_session->TransferVerified());
    } catch (const RemoteError &error) {
        Q_EMIT finished(job.id, error.number, RemoteTexts::description(error), false, false);
    }
}

bool QueueWorker::connectSession(int id)
{
    if (m_session && m_session->ConnectionState() == RemoteState::Connected)
        return true;
    if (!m_session) {
        m_session = RemoteSessions::make(m_site->protocol);
        m_session->setSettings(m_site->settings);
        m_session->setRateLimits(m_limits);
        const QStringList trusted = m_site->trustedCertificates;
        m_session->setQuestion([trusted](const RemoteQuestion &question) {
            RemoteAnswer answer;
            if (const auto *certificate = std::get_if<RemoteCertificate>(&question))
                answer.trust = trusted.contains(certificate->fingerprint) ? RemoteTrust::Once
                                                                          : RemoteTrust::Refuse;
            return answer;
        });
        connect(m_session.get(), &RemoteSession::ActivityEvent, m_session.get(),
                [this](const RemoteActivity &activity) {
                    if (activity.isProgress() ||
                        activity.kind == RemoteActivityKind::FileTransferred)
                        reportProgress(m_currentId, activity);
                });
    }
    const RemoteLogin &login = m_site->login;
    try {
        m_session->OpenConnection(login.host, login.user, login.password, login.account,
                                  login.port);
        return true;
    } catch (const RemoteError &error) {
        Q_EMIT finished(id, error.number, RemoteTexts::description(error), true, false);
        return false;
    }
}

void QueueWorker::transfer(const QueueJob &job)
{
    m_currentId = job.id;
    m_folderDone = 0;
    m_session->setTransferSetting(RemoteTransferSetting::Binary);
    if (job.folder) {
        m_offset = 0;
        // In double quotes: a folder's name may hold blanks.
        const auto pattern = [](const QString &folder, QChar separator) {
            return QLatin1Char('"') + folder + separator + QStringLiteral("*\"");
        };
        if (job.upload)
            m_session->UploadMany(pattern(job.localPath, QDir::separator()), job.remotePath);
        else
            m_session->DownloadMany(pattern(job.remotePath, QLatin1Char('/')), job.localPath);
        return;
    }
    if (job.upload) {
        m_offset = job.resume ? qMax<qint64>(0, remoteSize(job.remotePath)) : 0;
        m_session->setUploadMode(m_offset > 0 ? RemoteUploadMode::Resume
                                              : RemoteUploadMode::Overwrite);
        qint64 offset = m_offset;
        m_session->UploadFile(job.remotePath, job.localPath, offset);
    } else {
        const QFileInfo partial(job.localPath);
        m_offset = job.resume && partial.isFile() ? partial.size() : 0;
        qint64 offset = m_offset;
        m_session->DownloadFile(job.remotePath, job.localPath, offset);
    }
}

qint64 QueueWorker::remoteSize(const QString &path)
{
    // The session has no size call of its own: the folder's listing says.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash > 0 ? path.left(slash) : QStringLiteral("/");
    const QString name = path.mid(slash + 1);
    m_session->ListDirectory(folder);
    for (const RemoteEntry &entry : m_session->ListingEntries().entries)
        if (entry.name == name && !entry.isFolder())
            return entry.size;
    return 0;
}

void QueueWorker::reportProgress(int id, const RemoteActivity &activity)
{
    if (activity.kind == RemoteActivityKind::FileTransferred) {
        m_folderDone += activity.count;
        return;
    }
    const bool many = activity.kind == RemoteActivityKind::DownloadManyProgress ||
                      activity.kind == RemoteActivityKind::UploadManyProgress;
    // A resumed file's report counts from the restart offset.
    const qint64 total = many || activity.total < 0 ? -1 : m_offset + activity.total;
    Q_EMIT progress(id, (many ? m_folderDone : m_offset) + activity.count, total);
}
