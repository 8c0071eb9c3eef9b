#include "sftp/SftpTransport.h"

#include "remote/RemoteInterrupt.h"
#include "sftp/SftpError.h"
#include "sftp/SftpSettings.h"
#include "sftp/SftpTcp.h"

#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>

namespace {

void initialiseLibssh()
{
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
}

// libssh makes the socket blocking once it is connected, and then writes
// all it has queued in one send(): toward a server that stopped reading,
// that send() would never return. Non-blocking, it writes what fits; libssh
// keeps the rest for the next time the socket can take more.
// The most sent in one SSH packet: what OpenSSH takes (its channels' maximum
// packet size).
constexpr qsizetype CoalescedBytes = 32 * 1024;

void keepNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0 && !(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

void setOption(ssh_session session, ssh_options_e option, const QString &value)
{
    if (!value.isEmpty())
        ssh_options_set(session, option, value.toUtf8().constData());
}

} // namespace

SftpTransport::SftpTransport(RemoteInterrupt &interrupt) : m_interrupt(interrupt)
{
    initialiseLibssh();
}

SftpTransport::~SftpTransport()
{
    drop();
}

QDeadlineTimer SftpTransport::newDeadline() const
{
    return QDeadlineTimer(m_timeoutMs);
}

QString SftpTransport::lastError() const
{
    return m_session ? QString::fromUtf8(ssh_get_error(m_session)) : QString();
}

void SftpTransport::release()
{
    if (m_session)
        ssh_free(m_session); // frees the channel too
    m_session = nullptr;
    m_channel = nullptr;
    m_reader.reset();
    m_queue.clear();
    m_queueOffset = 0;
    m_queued = 0;
}

void SftpTransport::close()
{
    if (!m_session)
        return;
    if (m_channel && ssh_channel_is_open(m_channel)) {
        ssh_channel_send_eof(m_channel);
        ssh_channel_close(m_channel);
    }
    ssh_disconnect(m_session);
    release();
}

void SftpTransport::drop()
{
    if (!m_session)
        return;
    ssh_silent_disconnect(m_session);
    release();
}

void SftpTransport::lose(const QString &detail)
{
    drop();
    throw SftpError{SftpErrorKind::ConnectionLost, -1, {}, {}, detail};
}

void SftpTransport::handshake(int fd, const SftpLogin &login, const SftpSettings &settings)
{
    drop();
    m_session = ssh_new();
    if (!m_session) {
        ::close(fd);
        throw SftpError{
            SftpErrorKind::CannotConnect, -1, {}, login.host, QStringLiteral("ssh_new")};
    }
    ssh_set_blocking(m_session, 0);
    m_socketCounter = {};
    ssh_set_counters(m_session, &m_socketCounter, nullptr);
    QString host = login.host.trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const unsigned int port = unsigned(login.port);
    const bool no = false;
    // The user's ~/.ssh/config is not read: the site says where to go and
    // how, and a ProxyCommand or Ciphers line there would not apply to the
    // socket made here anyway.
    ssh_options_set(m_session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    setOption(m_session, SSH_OPTIONS_HOST, host);
    ssh_options_set(m_session, SSH_OPTIONS_PORT, &port);
    setOption(m_session, SSH_OPTIONS_USER, login.user);
    setOption(m_session, SSH_OPTIONS_KNOWNHOSTS, settings.knownHostsFile);
    setOption(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, settings.globalKnownHostsFile);
    setOption(m_session, SSH_OPTIONS_CIPHERS_C_S, settings.ciphers);
    setOption(m_session, SSH_OPTIONS_CIPHERS_S_C, settings.ciphers);
    socket_t socket = fd;
    ssh_options_set(m_session, SSH_OPTIONS_FD, &socket);
    const int result = retry(
        [&] {
            const int step = ssh_connect(m_session);
            keepNonBlocking(fd);
            return step;
        },
        true);
    if (result != SSH_OK) {
        const QString why = lastError();
        drop();
        // A server that speaks no SSH, or none we share an algorithm with.
        throw SftpError{SftpErrorKind::ProtocolError, -1, {}, login.host, why};
    }
}

void SftpTransport::startSftp()
{
    m_channel = ssh_channel_new(m_session);
    if (!m_channel)
        lose(lastError());
    m_callbacks = {};
    m_callbacks.userdata = this;
    m_callbacks.channel_data_function = &SftpTransport::onData;
    ssh_callbacks_init(&m_callbacks);
    ssh_set_channel_callbacks(m_channel, &m_callbacks);
    const auto failed = [&](int result) {
        if (result == SSH_OK)
            return;
        if (!ssh_is_connected(m_session))
            lose(lastError());
        const QString why = lastError();
        drop();
        throw SftpError{SftpErrorKind::ProtocolError, -1, {}, QStringLiteral("sftp"), why};
    };
    failed(retry([&] { return ssh_channel_open_session(m_channel); }, true));
    failed(retry([&] { return ssh_channel_request_subsystem(m_channel, "sftp"); }, true));
}

int SftpTransport::onData(ssh_session, ssh_channel, void *data, uint32_t length, int isStderr,
                          void *self)
{
    auto *transport = static_cast<SftpTransport *>(self);
    // The subsystem's error output is not SFTP.
    if (!isStderr)
        transport->m_reader.feed(QByteArrayView(static_cast<const char *>(data), length));
    transport->m_received += length;
    return int(length);
}

void SftpTransport::waitForSocket(const QDeadlineTimer &deadline, bool stoppable)
{
    const int fd = m_session ? ssh_get_fd(m_session) : -1;
    if (fd < 0)
        lose(lastError());
    short events = POLLIN;
    if (ssh_get_poll_flags(m_session) & SSH_WRITE_PENDING)
        events |= POLLOUT;
    SftpTcp::wait(fd, events, deadline, m_interrupt, stoppable);
}

void SftpTransport::sendQueued()
{
    while (!m_queue.empty()) {
        // Never more than the window takes: libssh would otherwise wait
        // for the window inside the call, out of reach of the waits here.
        const uint32_t window = ssh_channel_window_size(m_channel);
        if (window == 0)
            return;
        const QByteArray &front = m_queue.front();
        const qsizetype left = front.size() - m_queueOffset;
        const uint32_t size = uint32_t(qMin<qint64>(left, window));
        const int written = ssh_channel_write(m_channel, front.constData() + m_queueOffset, size);
        if (written == SSH_ERROR)
            lose(lastError());
        if (written <= 0)
            return;
        m_queueOffset += written;
        m_queued -= written;
        if (m_queueOffset == front.size()) {
            m_queue.pop_front();
            m_queueOffset = 0;
        }
    }
}

void SftpTransport::write(QByteArray bytes)
{
    if (!m_channel)
        throw SftpError{SftpErrorKind::NotConnected, -1, {}, {}, {}};
    m_queued += bytes.size();
    // Small requests sent together go out in one SSH packet: a file's
    // OPEN and STAT, or its READs, cost the server one wake-up and both
    // sides one MAC and one system call.
    if (!m_queue.empty() && m_queue.back().size() + bytes.size() <= CoalescedBytes)
        m_queue.back().append(bytes);
    else
        m_queue.push_back(std::move(bytes));
}

void SftpTransport::pump()
{
    sendQueued();
    const int result = ssh_channel_poll(m_channel, 0);
    if (result == SSH_ERROR || !ssh_is_connected(m_session))
        lose(lastError());
    if (result == SSH_EOF)
        lose(QStringLiteral("the server ended the sftp channel"));
    if (!m_queue.empty())
        sendQueued(); // the window may have grown
}

void SftpTransport::receiveMore(bool stoppable)
{
    if (!m_channel)
        throw SftpError{SftpErrorKind::NotConnected, -1, {}, {}, {}};
    const qint64 before = m_received;
    const QDeadlineTimer deadline = newDeadline();
    // While a transfer streams in, more has usually arrived already; right
    // after a request its answer has not, and the socket says when it has.
    bool look = m_streaming;
    for (;;) {
        if (look) {
            const uint64_t read = m_socketCounter.in_bytes;
            pump();
            m_streaming = m_received != before;
            if (m_streaming)
                return;
            // libssh reads the socket 4 KiB at a time, so a channel packet
            // takes it several reads: while its last read found bytes, the
            // next one most likely finds more, and asking the socket first
            // would double the system calls of a download.
            if (m_socketCounter.in_bytes != read) {
                SftpTcp::check(deadline, m_interrupt, stoppable);
                continue;
            }
        } else {
            sendQueued();
        }
        look = true;
        waitForSocket(deadline, stoppable);
    }
}

void SftpTransport::flush(bool stoppable)
{
    if (!m_channel)
        return;
    QDeadlineTimer deadline = newDeadline();
    for (;;) {
        const qint64 before = m_queued + m_received;
        pump();
        if (m_queued == 0 && !(ssh_get_poll_flags(m_session) & SSH_WRITE_PENDING))
            return;
        if (m_queued + m_received != before)
            deadline = newDeadline();
        else
            waitForSocket(deadline, stoppable);
    }
}
