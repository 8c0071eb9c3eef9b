#pragma once

#include "sftp/SftpPacketReader.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <deque>
#include <libssh/callbacks.h>
#include <libssh/libssh.h>

class RemoteInterrupt;
struct SftpLogin;
struct SftpSettings;

// The SSH connection of one session and its "sftp" channel, through libssh
// in non-blocking mode on the engine's own waits: every wait polls the
// connection's socket together with the interrupt's pipe, so a drop (and,
// where the caller allows it, a stop) ends it at once, and every wait is
// bounded by the time-out.
//
// libssh does the key exchange, host keys and log-in; what goes through the
// channel is handed to the packet reader as it arrives, with no buffering
// in between.
class SftpTransport
{
public:
    explicit SftpTransport(RemoteInterrupt &interrupt);
    ~SftpTransport();
    SftpTransport(const SftpTransport &) = delete;
    SftpTransport &operator=(const SftpTransport &) = delete;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    // The SSH handshake over the connected socket `fd` (taken over, also on
    // failure): up to the server's host key, nothing sent yet that a
    // password or a key would be in. Throws SftpError, SftpStopRequest.
    void handshake(int fd, const SftpLogin &login, const SftpSettings &settings);
    ssh_session session() const { return m_session; }
    // Opens a session channel and starts the "sftp" subsystem on it.
    void startSftp();

    // Calls `call` until libssh no longer answers "again" (SSH_AGAIN, or
    // SSH_AUTH_AGAIN for the log-in calls), waiting for the socket between
    // calls; returns libssh's last answer. A stop ends it when `stoppable`.
    template <typename Call> int retry(Call &&call, bool stoppable)
    {
        const QDeadlineTimer deadline = newDeadline();
        for (;;) {
            const int result = call();
            if (result != SSH_AGAIN && result != SSH_AUTH_AGAIN)
                return result;
            waitForSocket(deadline, stoppable);
        }
    }

    // Queues `bytes` for the channel; they leave with the next wait (or
    // flush()), together with whatever else was queued before it.
    void write(QByteArray bytes);
    // Bytes queued and not yet taken by libssh.
    qint64 queuedBytes() const { return m_queued; }
    SftpPacketReader &reader() { return m_reader; }
    // Waits until more has arrived on the channel. Throws SftpError TimedOut
    // when nothing comes within the time-out, ConnectionLost, Dropped, and
    // SftpStopRequest when `stoppable`. What has arrived before stays valid
    // until the next call of this or write().
    void receiveMore(bool stoppable);
    // Waits until everything queued has been taken (for a clean end).
    void flush(bool stoppable);

    bool isOpen() const { return m_session != nullptr; }
    // Says goodbye (channel and connection), without waiting for an answer.
    void close();
    // Closes at once without a word to the server.
    void drop();

    // libssh's last error text, for the log.
    QString lastError() const;

private:
    QDeadlineTimer newDeadline() const;
    void waitForSocket(const QDeadlineTimer &deadline, bool stoppable);
    void pump();
    void sendQueued();
    [[noreturn]] void lose(const QString &detail);
    void release();
    static int onData(ssh_session session, ssh_channel channel, void *data, uint32_t length,
                      int isStderr, void *self);

    RemoteInterrupt &m_interrupt;
    int m_timeoutMs = 30000;
    ssh_session m_session = nullptr;
    ssh_channel m_channel = nullptr;
    ssh_channel_callbacks_struct m_callbacks{};
    SftpPacketReader m_reader;
    std::deque<QByteArray> m_queue;
    qsizetype m_queueOffset = 0;
    qint64 m_queued = 0;
    qint64 m_received = 0;
    // What libssh has read from the socket (in_bytes), counted by libssh.
    ssh_counter_struct m_socketCounter{};
    bool m_streaming = false; // the last look at the socket found data
};
