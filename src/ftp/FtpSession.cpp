#include "ftp/FtpSession.h"

#include "ftp/FtpCertificate.h"
#include "ftp/FtpEngine.h"
#include "ftp/FtpEventSink.h"
#include "ftp/FtpSocket.h"
#include "remote/RemoteInterrupt.h"

#include <QEventLoop>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <deque>
#include <optional>

namespace {

constexpr int DefaultTimeoutMs = 30000;
// How long a call holds the caller's thread before it waits in an event loop:
// short enough that nobody sees the window pause.
constexpr int QuickCallMs = 5;
// However quick the calls, one of them waits in the event loop this often, so
// that a click on stop, timers and the rest of the window's events are seen.
constexpr int EventLoopIntervalMs = 50;

} // namespace

// Carries what the worker says to the caller's thread, in order. The worker
// never touches the session object itself: it queues messages here and posts
// one wake-up whenever the queue turns non-empty.
class FtpSession::Bridge : public FtpEventSink
{
public:
    struct Message
    {
        enum class Kind
        {
            Activity,
            State,
            Question,
            Done
        } kind = Kind::Activity;
        int code = 0;
        int category = 0;
        QString text;
        qint64 count = 0;
        QVariant extra;
        int state = 0;
        bool encrypted = false;
        quint64 generation = 0;
        std::optional<FtpError> error;
        FtpCertificate certificate;
    };

    Bridge(FtpSession *session, RemoteInterrupt &interrupt)
        : m_session(session), m_interrupt(interrupt)
    {}

    // Set before each operation starts: state reports of an operation whose
    // connection was dropped meanwhile no longer count.
    void setGeneration(quint64 generation) { m_generation = generation; }

    void activity(int code, int category, const QString &text, qint64 count,
                  const QVariant &extra) override
    {
        Message message;
        message.code = code;
        message.category = category;
        message.text = text;
        message.count = count;
        message.extra = extra;
        push(std::move(message));
    }

    void stateChanged(int state, bool encrypted) override
    {
        Message message;
        message.kind = Message::Kind::State;
        message.state = state;
        message.encrypted = encrypted;
        message.generation = m_generation;
        push(std::move(message));
    }

    // The worker waits here for the answer, on the wake-up pipe, so that a
    // stop or a drop meanwhile ends the wait; the user takes the time he
    // needs, no time-out applies.
    int certificateQuestion(const FtpCertificate &certificate) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_answer.reset();
        }
        Message message;
        message.kind = Message::Kind::Question;
        message.certificate = certificate;
        push(std::move(message));
        for (;;) {
            if (m_interrupt.dropRequested())
                throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("连接已被断开")};
            if (m_interrupt.stopRequested())
                throw FtpStopRequest{};
            {
                QMutexLocker lock(&m_mutex);
                if (m_answer)
                    return *m_answer;
            }
            m_interrupt.waitForWake();
        }
    }

    // On the caller's thread.
    void answer(int trust)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_answer = trust;
        }
        m_interrupt.wake();
    }

    void done(const std::optional<FtpError> &error)
    {
        Message message;
        message.kind = Message::Kind::Done;
        message.error = error;
        push(std::move(message));
    }

    // One at a time, so that a handler that runs a nested event loop (a
    // message box) sees the following messages in order.
    std::optional<Message> takeOne()
    {
        QMutexLocker lock(&m_mutex);
        if (m_queue.empty())
            return std::nullopt;
        Message message = std::move(m_queue.front());
        m_queue.pop_front();
        return message;
    }

private:
    void push(Message &&message)
    {
        bool wake;
        {
            QMutexLocker lock(&m_mutex);
            wake = m_queue.empty();
            m_queue.push_back(std::move(message));
        }
        if (wake) {
            FtpSession *session = m_session;
            QMetaObject::invokeMethod(
                session, [session] { session->deliverEvents(); }, Qt::QueuedConnection);
        }
    }

    FtpSession *m_session;
    RemoteInterrupt &m_interrupt;
    quint64 m_generation = 0;
    QMutex m_mutex;
    std::deque<Message> m_queue;
    std::optional<int> m_answer;
};

FtpSession::FtpSession(QObject *parent)
    : QObject(parent), m_interrupt(std::make_unique<RemoteInterrupt>()),
      m_bridge(std::make_unique<Bridge>(this, *m_interrupt)),
      m_engine(std::make_unique<FtpEngine>(*m_interrupt, *m_bridge)),
      m_finished(std::make_unique<QSemaphore>()), m_alive(std::make_shared<bool>(true))
{}

FtpSession::~FtpSession()
{
    *m_alive = false;
    if (m_busy) {
        // Deleted from inside its own call: end the operation before the
        // members go.
        m_interrupt->requestDrop();
        m_finished->acquire();
        if (m_loop)
            m_loop->quit();
    } else {
        m_engine->dropNow();
    }
    if (m_worker) {
        m_worker->quit();
        m_worker->wait();
    }
}

void FtpSession::startWorker()
{
    // One thread for the session's whole life: a batch of thousands of
    // small files must not start a thread per call.
    m_worker = std::make_unique<QThread>();
    m_worker->setObjectName(QStringLiteral("FtpSession worker"));
    m_workerContext = new QObject;
    m_workerContext->moveToThread(m_worker.get());
    connect(m_worker.get(), &QThread::finished, m_workerContext, &QObject::deleteLater);
    m_worker->start();
}

int FtpSession::UploadMode() const
{
    return m_uploadMode;
}

void FtpSession::setUploadMode(int mode)
{
    m_uploadMode = mode == FtpUploadMode::Resume ? FtpUploadMode::Resume : FtpUploadMode::Overwrite;
}

int FtpSession::TimeoutMs() const
{
    return m_timeoutMs;
}

void FtpSession::setTimeoutMs(int ms)
{
    m_timeoutMs = ms > 0 ? ms : DefaultTimeoutMs;
}

int FtpSession::TransferSetting() const
{
    return m_transferSetting;
}

void FtpSession::setTransferSetting(int value)
{
    m_transferSetting =
        value == FtpTransferSetting::Ascii ? FtpTransferSetting::Ascii : FtpTransferSetting::Binary;
}

bool FtpSession::PassiveMode() const
{
    return m_passive;
}

void FtpSession::setPassiveMode(bool on)
{
    m_passive = on;
}

int FtpSession::NameEncoding() const
{
    return m_nameEncoding;
}

void FtpSession::setNameEncoding(int encoding)
{
    m_nameEncoding = encoding == FtpNameEncoding::Utf8 || encoding == FtpNameEncoding::Gbk
                         ? encoding
                         : FtpNameEncoding::Auto;
}

int FtpSession::Encryption() const
{
    return m_encryption;
}

void FtpSession::setEncryption(int encryption)
{
    m_encryption = encryption == FtpEncryption::ExplicitIfOffered ||
                           encryption == FtpEncryption::ExplicitRequired ||
                           encryption == FtpEncryption::Implicit
                       ? encryption
                       : FtpEncryption::Plain;
}

void FtpSession::setCertificateQuestion(CertificateQuestion question)
{
    m_certificateQuestion = std::move(question);
}

bool FtpSession::IsEncrypted() const
{
    return m_encrypted;
}

bool FtpSession::IsBusy() const
{
    return m_busy;
}

int FtpSession::ConnectionState() const
{
    return m_state;
}

bool FtpSession::RestartSupported() const
{
    return m_restartSupported;
}

QString FtpSession::CurrentDirectory() const
{
    return m_currentDirectory;
}

const FtpListing &FtpSession::ListingEntries() const
{
    return m_listing;
}

void FtpSession::applyState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT StateChangedEvent();
}

void FtpSession::deliverEvents()
{
    const std::shared_ptr<bool> alive = m_alive;
    while (std::optional<Bridge::Message> message = m_bridge->takeOne()) {
        switch (message->kind) {
        case Bridge::Message::Kind::Activity:
            Q_EMIT ActivityEvent(message->code, message->category, message->text, message->count,
                                 message->extra);
            break;
        case Bridge::Message::Kind::State:
            if (message->generation == m_generation) {
                m_encrypted = message->encrypted;
                applyState(message->state);
            }
            break;
        case Bridge::Message::Kind::Question: {
            // Without anyone to ask, a certificate nobody vouches for is
            // refused, never taken silently.
            const int trust = m_certificateQuestion ? m_certificateQuestion(message->certificate)
                                                    : FtpTrust::Refuse;
            if (!*alive)
                return;
            m_bridge->answer(trust);
            break;
        }
        case Bridge::Message::Kind::Done:
            m_result = message->error;
            m_done = true;
            if (m_loop)
                m_loop->quit();
            break;
        }
        if (!*alive)
            return;
    }
}

void FtpSession::run(const std::function<void(FtpEngine &)> &operation, StopEffect stopEffect)
{
    if (m_busy)
        throw FtpError{FtpErrorCode::Busy, QStringLiteral("上一个操作尚未完成，请稍后再试")};
    if (!m_worker)
        startWorker();
    m_busy = true;
    m_done = false;
    m_stopAsked = false;
    m_result.reset();
    m_interrupt->reset();
    m_engine->setSettings(
        {m_timeoutMs, m_passive, m_uploadMode, m_transferSetting, m_nameEncoding, m_encryption});
    m_bridge->setGeneration(m_generation);
    const quint64 generation = m_generation;

    FtpEngine *engine = m_engine.get();
    Bridge *bridge = m_bridge.get();
    QSemaphore *finished = m_finished.get();
    QMetaObject::invokeMethod(
        m_workerContext,
        [engine, bridge, finished, &operation] {
            std::optional<FtpError> error;
            try {
                operation(*engine);
            } catch (const FtpError &failure) {
                error = failure;
            } catch (const std::exception &failure) {
                engine->dropNow();
                error = FtpError{FtpErrorCode::ConnectionLost,
                                 QStringLiteral("内部错误，连接已关闭：%1")
                                     .arg(QString::fromLocal8Bit(failure.what()))};
            }
            bridge->done(error);
            finished->release();
        },
        Qt::QueuedConnection);
    const std::shared_ptr<bool> alive = m_alive;
    // Most calls (a DELE, a CWD) are over within a round trip: waiting for
    // them here spares the event loop, whose wake-ups and hand-overs cost a
    // delete of thousands of files more than the calls, all the more on a
    // busy machine. Their reports follow at once, in order.
    const bool loopDue =
        !m_sinceEventLoop.isValid() || m_sinceEventLoop.hasExpired(EventLoopIntervalMs);
    if (!loopDue && m_finished->tryAcquire(1, QuickCallMs)) {
        m_finished->release();
        deliverEvents();
        if (!*alive)
            throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("会话已被销毁")};
    }
    if (!m_done) {
        waitInEventLoop(alive);
        m_sinceEventLoop.start();
    }
    // The worker has left the operation before the session reads its state.
    m_finished->acquire();
    m_busy = false;
    // A drop asked for while the worker was already finishing still counts.
    if (m_generation != generation)
        m_engine->dropNow();
    // So does a stop: the call ends with 11101 whatever came first.
    if (m_stopAsked && !m_result && m_generation == generation) {
        if (stopEffect == StopEffect::Closes)
            m_engine->dropNow();
        m_result = FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("操作已被用户停止")};
    }
    m_currentDirectory = m_engine->currentDirectory();
    m_restartSupported = m_engine->restartSupported();
    m_encrypted = m_engine->encrypted();
    applyState(m_engine->state());
    if (m_result)
        throw *m_result;
}

void FtpSession::waitInEventLoop(const std::shared_ptr<bool> &alive)
{
    QEventLoop loop;
    m_loop = &loop;
    for (;;) {
        loop.exec();
        // Deleted meanwhile: the destructor has ended the operation.
        if (!*alive)
            throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("会话已被销毁")};
        if (m_done)
            break;
        // The event loops are being torn down (the application quits):
        // finish without them.
        m_interrupt->requestDrop();
        m_finished->acquire();
        m_finished->release();
        deliverEvents();
        if (!*alive)
            throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("会话已被销毁")};
    }
    m_loop = nullptr;
}

void FtpSession::setCurrentDirectory(const QString &path)
{
    run([&](FtpEngine &engine) { engine.changeDirectory(path); });
}

void FtpSession::OpenConnection(const QString &host, const QString &user, const QString &password,
                                const QString &account, int port)
{
    run([&](FtpEngine &engine) { engine.open(host, user, password, account, port); },
        StopEffect::Closes);
}

void FtpSession::CloseConnection()
{
    run([](FtpEngine &engine) { engine.quit(); });
}

void FtpSession::DropConnection()
{
    if (m_busy) {
        // The worker sees the request in its next wait and closes; its own
        // reports of the state no longer count.
        m_interrupt->requestDrop();
        ++m_generation;
    } else {
        m_engine->dropNow();
    }
    m_currentDirectory.clear();
    m_encrypted = false;
    applyState(FtpState::Closed);
}

void FtpSession::StopTransfer()
{
    if (!m_busy)
        return;
    m_stopAsked = true;
    m_interrupt->requestStop();
}

void FtpSession::ParentDirectory()
{
    run([](FtpEngine &engine) { engine.parentDirectory(); });
}

void FtpSession::ListDirectory(const QString &path)
{
    FtpListing listing;
    try {
        run([&](FtpEngine &engine) { listing = engine.list(path); });
    } catch (const FtpError &) {
        m_listing = FtpListing();
        throw;
    }
    m_listing = std::move(listing);
}

void FtpSession::MakeRemoteDirectory(const QString &path)
{
    run([&](FtpEngine &engine) { engine.makeDirectory(path); });
}

void FtpSession::RemoveRemoteDirectory(const QString &path)
{
    run([&](FtpEngine &engine) { engine.removeDirectory(path); });
}

void FtpSession::DeleteRemoteFile(const QString &path)
{
    run([&](FtpEngine &engine) { engine.deleteFile(path); });
}

void FtpSession::RenameRemote(const QString &from, const QString &to)
{
    run([&](FtpEngine &engine) { engine.rename(from, to); });
}

void FtpSession::DownloadFile(const QString &remote, const QString &local, qint64 &offset)
{
    const qint64 start = offset;
    run([&](FtpEngine &engine) { engine.download(remote, local, start); });
}

void FtpSession::DownloadFile(const QString &remote, const QString &local)
{
    qint64 offset = 0;
    DownloadFile(remote, local, offset);
}

void FtpSession::UploadFile(const QString &remote, const QString &local, qint64 &offset)
{
    const qint64 start = offset;
    run([&](FtpEngine &engine) { engine.upload(remote, local, start); });
}

void FtpSession::DownloadMany(const QString &remotePattern, const QString &localFolder)
{
    run([&](FtpEngine &engine) { engine.downloadTree(remotePattern, localFolder); });
}

void FtpSession::UploadMany(const QString &localPattern, const QString &remoteFolder)
{
    run([&](FtpEngine &engine) { engine.uploadTree(localPattern, remoteFolder); });
}
