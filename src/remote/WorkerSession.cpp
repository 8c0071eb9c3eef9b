#include "remote/WorkerSession.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteFileCheck.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTreeCopy.h"
#include "remote/RemoteTreePermissions.h"
#include "remote/RemoteTreeRemoval.h"

#include <QEventLoop>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <deque>
#include <utility>

namespace {

// How often the caller's thread collects the reports of a call that runs:
// soon enough for a progress bar and a log that move with the work.
constexpr int CollectIntervalMs = 20;
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
class WorkerSession::Bridge : public RemoteEventSink
{
public:
    struct Message
    {
        enum class Kind
        {
            Activity,
            Entries,
            State,
            Question,
            Done
        } kind = Kind::Activity;
        RemoteActivity activity;
        QVector<RemoteEntry> entries;
        int state = 0;
        bool encrypted = false;
        quint64 generation = 0;
        std::optional<RemoteError> error;
        std::optional<RemoteQuestion> question;
    };

    Bridge(WorkerSession *session, RemoteInterrupt &interrupt)
        : m_session(session), m_interrupt(interrupt)
    {}

    // Set before each operation starts: state reports of an operation whose
    // connection was dropped meanwhile no longer count.
    void setGeneration(quint64 generation) { m_generation = generation; }

    void activity(const RemoteActivity &activity) override
    {
        Message message;
        message.activity = activity;
        push(std::move(message));
    }

    void entriesRead(const QVector<RemoteEntry> &entries) override
    {
        Message message;
        message.kind = Message::Kind::Entries;
        message.entries = entries;
        // A batch holds thousands of entries: the caller shows (or prints)
        // one while the worker reads the next, instead of all that is left
        // once the listing has ended.
        push(std::move(message), Wake::Now);
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
    RemoteAnswer ask(const RemoteQuestion &question) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_answer.reset();
        }
        Message message;
        message.kind = Message::Kind::Question;
        message.question = question;
        push(std::move(message), Wake::Now);
        for (;;) {
            if (m_interrupt.dropRequested())
                throw RemoteError::own(RemoteErrorKind::Dropped, RemoteErrorCode::ConnectionDropped,
                                       RemoteMessage::ConnectionDropped);
            if (m_interrupt.stopRequested())
                throw RemoteStopRequest{};
            {
                QMutexLocker lock(&m_mutex);
                if (m_answer)
                    return *m_answer;
            }
            m_interrupt.waitForWake();
        }
    }

    // On the caller's thread.
    void answer(const RemoteAnswer &answer)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_answer = answer;
        }
        m_interrupt.wake();
    }

    void done(const std::optional<RemoteError> &error)
    {
        Message message;
        message.kind = Message::Kind::Done;
        message.error = error;
        push(std::move(message), Wake::Now);
    }

    // One at a time, so that a handler that runs a nested event loop (a
    // message box) sees the following messages in order.
    std::optional<Message> takeOne()
    {
        QMutexLocker lock(&m_mutex);
        if (m_queue.empty()) {
            m_wakePosted = false;
            return std::nullopt;
        }
        Message message = std::move(m_queue.front());
        m_queue.pop_front();
        return message;
    }

private:
    enum class Wake
    {
        Now,   // the caller waits for it (an answer, the end of the call) or has work in it
        Later, // reports: collected by the caller's thread every few milliseconds
    };

    // Reports do not wake the caller's thread each: a tree of thousands of
    // small files sends several a file, and a wake-up each cost the thread,
    // and the server sharing the processors, more than the files.
    void push(Message &&message, Wake wake = Wake::Later)
    {
        bool post = false;
        {
            QMutexLocker lock(&m_mutex);
            m_queue.push_back(std::move(message));
            if (!m_wakePosted && (wake == Wake::Now || m_queue.size() >= MaxQueued)) {
                m_wakePosted = true;
                post = true;
            }
        }
        if (post) {
            WorkerSession *session = m_session;
            QMetaObject::invokeMethod(
                session, [session] { session->deliverEvents(); }, Qt::QueuedConnection);
        }
    }

    // Reports waiting beyond this many wake the caller's thread at once.
    static constexpr std::size_t MaxQueued = 512;

    WorkerSession *m_session;
    RemoteInterrupt &m_interrupt;
    quint64 m_generation = 0;
    QMutex m_mutex;
    std::deque<Message> m_queue;
    bool m_wakePosted = false;
    std::optional<RemoteAnswer> m_answer;
};

WorkerSession::WorkerSession(RemoteProtocol protocol, const EngineMaker &makeEngine,
                             QObject *parent)
    : RemoteSession(parent), m_protocol(protocol), m_interrupt(std::make_unique<RemoteInterrupt>()),
      m_bridge(std::make_unique<Bridge>(this, *m_interrupt)),
      m_engine(makeEngine(*m_interrupt, *m_bridge)), m_finished(std::make_unique<QSemaphore>()),
      m_collect(new QTimer(this)), m_alive(std::make_shared<bool>(true))
{
    m_collect->setInterval(CollectIntervalMs);
    connect(m_collect, &QTimer::timeout, this, &WorkerSession::deliverEvents);
}

bool WorkerSession::replaceEngine(RemoteProtocol protocol, const EngineMaker &makeEngine)
{
    // The worker holds no call of the engine's while the session is idle.
    if (m_busy || m_state != RemoteState::Closed)
        return false;
    m_engine = makeEngine(*m_interrupt, *m_bridge);
    m_protocol = protocol;
    return true;
}

WorkerSession::~WorkerSession()
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

void WorkerSession::startWorker()
{
    // One thread for the session's whole life: a batch of thousands of
    // small files must not start a thread per call.
    m_worker = std::make_unique<QThread>();
    m_worker->setObjectName(QStringLiteral("RemoteSession worker"));
    m_workerContext = new QObject;
    m_workerContext->moveToThread(m_worker.get());
    connect(m_worker.get(), &QThread::finished, m_workerContext, &QObject::deleteLater);
    m_worker->start();
}

void WorkerSession::applyState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT StateChangedEvent();
}

void WorkerSession::deliverEvents()
{
    const std::shared_ptr<bool> alive = m_alive;
    while (std::optional<Bridge::Message> message = m_bridge->takeOne()) {
        switch (message->kind) {
        case Bridge::Message::Kind::Activity:
            Q_EMIT ActivityEvent(message->activity);
            break;
        case Bridge::Message::Kind::Entries:
            m_entriesShown = true;
            Q_EMIT EntriesRead(message->entries);
            if (!*alive)
                return;
            // Moved into the listing, unless a receiver kept the batch.
            m_shownEntries.append(std::move(message->entries));
            break;
        case Bridge::Message::Kind::State:
            if (message->generation == m_generation) {
                m_encrypted = message->encrypted;
                applyState(message->state);
            }
            break;
        case Bridge::Message::Kind::Question: {
            // Without anyone to ask, a certificate or a key nobody vouches
            // for is refused, never taken silently.
            const RemoteAnswer answer =
                question() ? question()(*message->question) : RemoteAnswer{};
            if (!*alive)
                return;
            m_bridge->answer(answer);
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

void WorkerSession::run(const std::function<void(RemoteEngine &)> &operation, StopEffect stopEffect)
{
    if (m_busy)
        throw RemoteError::own(RemoteErrorKind::Busy, RemoteErrorCode::Busy, RemoteMessage::Busy);
    if (!m_worker)
        startWorker();
    m_busy = true;
    m_done = false;
    m_stopAsked = false;
    m_result.reset();
    m_interrupt->reset();
    m_engine->setSettings(settings());
    m_bridge->setGeneration(m_generation);
    const quint64 generation = m_generation;

    RemoteEngine *engine = m_engine.get();
    Bridge *bridge = m_bridge.get();
    QSemaphore *finished = m_finished.get();
    QMetaObject::invokeMethod(
        m_workerContext,
        [engine, bridge, finished, &operation] {
            std::optional<RemoteError> error;
            try {
                operation(*engine);
            } catch (const RemoteError &failure) {
                error = failure;
            } catch (const std::exception &failure) {
                engine->dropNow();
                error = RemoteError::own(RemoteErrorKind::LostConnection,
                                         RemoteErrorCode::ConnectionLost,
                                         RemoteText(RemoteMessage::InternalError,
                                                    {QString::fromLocal8Bit(failure.what())}));
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
            throw destroyedError();
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
        m_result = RemoteError::own(RemoteErrorKind::Stopped, RemoteErrorCode::StoppedByUser,
                                    RemoteMessage::Stopped);
    }
    m_currentDirectory = m_engine->currentDirectory();
    m_restartSupported = m_engine->restartSupported();
    m_encrypted = m_engine->encrypted();
    applyState(m_engine->state());
    if (m_result)
        throw *m_result;
}

RemoteError WorkerSession::destroyedError()
{
    return RemoteError::own(RemoteErrorKind::Dropped, RemoteErrorCode::ConnectionDropped,
                            RemoteMessage::SessionDestroyed);
}

void WorkerSession::waitInEventLoop(const std::shared_ptr<bool> &alive)
{
    QEventLoop loop;
    m_loop = &loop;
    // Collects the reports while the call runs (they wake nobody).
    m_collect->start();
    for (;;) {
        loop.exec();
        // Deleted meanwhile: the destructor has ended the operation.
        if (!*alive)
            throw destroyedError();
        if (m_done)
            break;
        // The event loops are being torn down (the application quits):
        // finish without them.
        m_interrupt->requestDrop();
        m_finished->acquire();
        m_finished->release();
        deliverEvents();
        if (!*alive)
            throw destroyedError();
    }
    m_collect->stop();
    m_loop = nullptr;
}

void WorkerSession::setCurrentDirectory(const QString &path)
{
    run([&](RemoteEngine &engine) { engine.changeDirectory(path); });
}

void WorkerSession::OpenConnection(const QString &host, const QString &user,
                                   const QString &password, const QString &account, int port)
{
    const RemoteLogin login{host, user, password, account, port};
    run([&](RemoteEngine &engine) { engine.open(login); }, StopEffect::Closes);
}

void WorkerSession::CloseConnection()
{
    run([](RemoteEngine &engine) { engine.quit(); });
}

void WorkerSession::DropConnection()
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
    applyState(RemoteState::Closed);
}

void WorkerSession::StopTransfer()
{
    if (!m_busy)
        return;
    m_stopAsked = true;
    m_interrupt->requestStop();
}

void WorkerSession::ParentDirectory()
{
    run([](RemoteEngine &engine) { engine.parentDirectory(); });
}

void WorkerSession::ListDirectory(const QString &path)
{
    RemoteListing listing;
    m_entriesShown = false;
    m_shownEntries.clear();
    try {
        run([&](RemoteEngine &engine) { listing = engine.list(path); });
    } catch (const RemoteError &) {
        m_listing = RemoteListing();
        m_shownEntries.clear();
        throw;
    }
    // What came as it was read, then what the engine kept.
    if (!m_shownEntries.isEmpty()) {
        m_shownEntries.append(std::move(listing.entries));
        listing.entries = std::exchange(m_shownEntries, {});
    }
    m_listing = std::move(listing);
    // An engine that does not hand its entries over as they come.
    if (!m_entriesShown && !m_listing.entries.isEmpty())
        Q_EMIT EntriesRead(m_listing.entries);
}

void WorkerSession::MakeRemoteDirectory(const QString &path)
{
    run([&](RemoteEngine &engine) { engine.makeDirectory(path); });
}

void WorkerSession::RemoveRemoteDirectory(const QString &path)
{
    run([&](RemoteEngine &engine) { engine.removeDirectory(path); });
}

void WorkerSession::DeleteRemoteFile(const QString &path)
{
    run([&](RemoteEngine &engine) { engine.deleteFile(path); });
}

void WorkerSession::RenameRemote(const QString &from, const QString &to)
{
    run([&](RemoteEngine &engine) { engine.rename(from, to); });
}

void WorkerSession::ChangePermissions(const QString &path, int permissions)
{
    run([&](RemoteEngine &engine) { engine.changePermissions(path, permissions); });
}

void WorkerSession::ChangePermissionsMany(const QString &folder, int filePermissions,
                                          int folderPermissions)
{
    run([&](RemoteEngine &engine) {
        engine.walk([&] {
            RemoteTreePermissions(engine, *m_bridge, *m_interrupt)
                .change(folder, filePermissions, folderPermissions);
        });
    });
}

void WorkerSession::RemoveTree(const QString &folder)
{
    run([&](RemoteEngine &engine) {
        engine.walk([&] { RemoteTreeRemoval(engine, *m_bridge, *m_interrupt).remove(folder); });
    });
}

void WorkerSession::runChecked(const std::function<void(RemoteEngine &, RemoteFileCheck &)> &move)
{
    m_transferVerified = false;
    bool verified = false;
    run([&](RemoteEngine &engine) {
        RemoteFileCheck check(engine, *m_bridge, *m_interrupt, settings());
        move(engine, check);
        verified = check.allVerified();
    });
    m_transferVerified = verified;
}

void WorkerSession::DownloadFile(const QString &remote, const QString &local, qint64 &offset)
{
    const qint64 start = offset;
    runChecked([&](RemoteEngine &engine, RemoteFileCheck &check) {
        check.transfer(remote, local, start, [&] { engine.download(remote, local, start); });
    });
}

void WorkerSession::UploadFile(const QString &remote, const QString &local, qint64 &offset)
{
    // Only a resumed upload keeps what the server has.
    const qint64 start = settings().uploadMode == RemoteUploadMode::Resume ? offset : 0;
    runChecked([&](RemoteEngine &engine, RemoteFileCheck &check) {
        check.transfer(remote, local, start, [&] { engine.upload(remote, local, offset); });
    });
}

// The whole copy is one operation on the worker: a tree of thousands of small
// files costs no round trip to this thread per file.
void WorkerSession::DownloadMany(const QString &remotePattern, const QString &localFolder)
{
    runChecked([&](RemoteEngine &engine, RemoteFileCheck &check) {
        engine.walk([&] {
            RemoteTreeCopy(engine, *m_bridge, *m_interrupt, check)
                .download(remotePattern, localFolder);
        });
    });
}

void WorkerSession::UploadMany(const QString &localPattern, const QString &remoteFolder)
{
    runChecked([&](RemoteEngine &engine, RemoteFileCheck &check) {
        engine.walk([&] {
            RemoteTreeCopy(engine, *m_bridge, *m_interrupt, check)
                .upload(localPattern, remoteFolder);
        });
    });
}

RemoteHash WorkerSession::FileHash(const QString &remote)
{
    RemoteHash hash;
    run([&](RemoteEngine &engine) { hash = engine.fileHash(remote, -1); });
    return hash;
}
