#pragma once

#include "sftp/SftpReply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <unordered_set>

class SftpRequest;
class SftpTransport;

// What the server said when SFTP started.
struct SftpServerInfo
{
    quint32 version = 0;
    QByteArrayList extensions;
    bool hasLimits = false;
    SftpLimits limits;
};

// SFTP requests and their replies over the transport's channel, any number
// in flight. Every request gets an id; replies come back by id, in
// whatever order the server sends them.
//
// A request the caller gives up on (a stop, a failure half-way through a
// transfer) is abandoned: its reply is dropped when it comes, and a file
// handle it brings is closed, so the session stays usable at once without
// waiting for the server. A reply for an id never sent is a protocol error.
class SftpClient
{
public:
    explicit SftpClient(SftpTransport &transport);

    // INIT and VERSION, and the server's limits when it offers them.
    // Throws SftpError ProtocolError for a server below version 3.
    void start();
    const SftpServerInfo &server() const { return m_server; }
    // A new connection: forgets ids and what the last server offered.
    void reset();

    quint32 nextId() { return ++m_lastId; }
    // Sends a request built with an id from nextId().
    void send(quint32 id, QByteArray request);
    // The next reply to a request in flight (one not abandoned); waits for
    // it. The reply, its data included, stays valid until the next call
    // of next() or send(). Throws SftpError (ProtocolError for a reply that
    // cannot be read or has an unknown id), SftpStopRequest.
    const SftpReply &next();
    // send() and next() for a single request; abandons it on a stop.
    const SftpReply &call(quint32 id, QByteArray request);
    void abandon(quint32 id);
    qsizetype inFlight() const { return qsizetype(m_active.size()); }
    // Waits until everything sent has left (a clean end).
    void flush();

    // The longest read and write to ask for: the server's limit when it
    // gave one, at most 255 KiB; else 32 KiB, which every server takes.
    quint32 readLength() const;
    quint32 writeLength() const;

private:
    bool take(SftpReply &reply);
    [[noreturn]] void broken(const QString &detail);
    void closeAbandonedHandle(const QByteArray &handle);

    SftpTransport &m_transport;
    SftpServerInfo m_server;
    quint32 m_lastId = 0;
    std::unordered_set<quint32> m_active;
    std::unordered_set<quint32> m_abandoned;
    SftpReply m_reply;
};
