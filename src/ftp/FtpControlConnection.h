#pragma once

#include "ftp/FtpReplyReader.h"
#include "ftp/FtpSocket.h"
#include "remote/RemoteText.h"

#include <QByteArray>
#include <QString>

class RemoteEventSink;
class RemoteInterrupt;
class RemoteNameCodec;
class FtpTlsContext;

// The control connection: commands out, replies in, each one reported to the
// event sink (commands as category 1, replies as category 0). A reply 421,
// the end of the stream, a broken reply stream or a time-out closes the
// connection before the error is thrown, so the session never talks on over
// a stream it has lost track of.
//
// The time-out bounds each whole reply, not the pause between two of its
// bytes: a server that trickles a reply a byte a second still times out.
class FtpControlConnection
{
public:
    FtpControlConnection(RemoteInterrupt &interrupt, RemoteEventSink &sink);

    // Resolves `host` and connects to the first address that answers.
    void open(const QString &host, quint16 port, int timeoutMs);
    bool isOpen() const { return m_socket.isOpen(); }
    void close();
    // TLS on the open connection (right after connecting, or after the
    // server agreed to AUTH TLS): the handshake, with the certificate
    // checked against `host`. Anything the server sent after its last reply
    // would have been read as if encrypted: such a connection is refused.
    // Throws RemoteError 11121, 11102 or 11116 and closes on failure.
    void startTls(FtpTlsContext &tls, const QString &host);
    bool isEncrypted() const { return m_socket.isEncrypted(); }
    FtpSocket &socket() { return m_socket; }

    void setTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
    int timeout() const { return m_timeoutMs; }
    // Texts of replies and commands are decoded with the connection's name
    // encoding.
    void setCodec(const RemoteNameCodec *codec) { m_codec = codec; }
    // While on (connecting, logging in), a stop ends every wait at once with
    // RemoteStopRequest; otherwise a stop waits for the reply.
    void setStoppable(bool on) { m_stoppable = on; }
    // Sends "VERB argument". `shown` replaces the command in the event text
    // ("PASS ******"); by default the command is shown as sent. Only the
    // argument of PASS and ACCT is ever hidden: a password that happens to
    // be a word of a reply or of the user name must not garble those.
    void send(const QByteArray &verb, const QByteArray &argument = {}, const QString &shown = {});
    // The next reply, reported as a ServerReply unless `reported` is false.
    FtpReply readReply(bool reported);
    FtpReply readReply();
    FtpReply command(const QByteArray &verb, const QByteArray &argument = {},
                     const QString &shown = {});

    // The reply's text, decoded, for a RemoteError.
    QString text(const FtpReply &reply) const;
    [[noreturn]] void refuse(const FtpReply &reply) const;

    QHostAddress peerAddress() const { return m_peer; }
    QHostAddress localAddress() const { return m_socket.localAddress(); }

private:
    [[noreturn]] void loseConnection(int number, const RemoteText &text);
    // Runs a step on the socket; a failure or a stop half-way leaves the
    // stream unusable, so the connection is closed before it goes on.
    template <typename Step> void closedOnFailure(Step &&step)
    {
        try {
            step();
        } catch (...) {
            close();
            throw;
        }
    }

    RemoteEventSink &m_sink;
    FtpSocket m_socket;
    FtpReplyReader m_reader;
    QHostAddress m_peer;
    const RemoteNameCodec *m_codec = nullptr;
    int m_timeoutMs = 30000;
    bool m_stoppable = false;
};
