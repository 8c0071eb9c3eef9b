#include "ftp/FtpTransferChannel.h"

#include "ftp/FtpContext.h"
#include "ftp/FtpErrors.h"
#include "remote/RateLimit.h"

FtpTransferChannel::FtpTransferChannel(FtpContext &context) : m_context(context), m_data(context) {}

void FtpTransferChannel::close()
{
    m_data.close();
}

void FtpTransferChannel::prepare()
{
    try {
        m_data.prepare();
    } catch (const RemoteStopRequest &) {
        // Stopped while the data connection was being made: nothing is
        // outstanding on the control connection.
        close();
        throw FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::Stopped);
    }
}

bool FtpTransferChannel::restart(qint64 offset)
{
    m_reply = m_context.control().command("REST", QByteArray::number(offset));
    return m_reply.code == 350;
}

FtpTransferChannel::Outcome FtpTransferChannel::start(const QByteArray &verb,
                                                      const QByteArray &argument,
                                                      bool completionWithoutData)
{
    FtpControlConnection &control = m_context.control();
    m_reply = control.command(verb, argument);
    if (m_reply.isPreliminary()) {
        try {
            m_data.establish();
        } catch (const RemoteStopRequest &) {
            abortQuietly();
            throw FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::Stopped);
        } catch (const RemoteError &error) {
            // The server has its say about the failed data connection
            // (425, 522): read it, so the replies stay in step.
            if (error.number != RemoteErrorCode::TimedOut &&
                error.number != RemoteErrorCode::ConnectionDropped)
                abortQuietly();
            throw;
        }
        return Outcome::Open;
    }
    close();
    m_ended = true;
    if (m_reply.code >= 400)
        return Outcome::Refused;
    if (m_reply.isPositive() && completionWithoutData)
        return Outcome::Completed;
    throw FtpErrors::own(RemoteErrorCode::BadReply,
                         RemoteText(RemoteMessage::UnreadableTransferReply,
                                    {QString::fromLatin1(verb), control.text(m_reply)}));
}

void FtpTransferChannel::refuse() const
{
    m_context.control().refuse(m_reply);
}

qint64 FtpTransferChannel::receive(char *buffer, qint64 size)
{
    FtpSocket &socket = m_data.socket();
    const qint64 wanted = m_limit ? m_limit->piece(size) : size;
    const qint64 received = socket.receive(buffer, wanted, m_context.settings().timeoutMs, true);
    if (received == 0)
        m_cutShort = socket.cutShort();
    // Paid for after it came: what a download reads is what it may have.
    pay(received);
    return received;
}

void FtpTransferChannel::send(const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 piece = m_limit ? m_limit->piece(size) : size;
        pay(piece);
        m_data.socket().sendAll(data, piece, m_context.settings().timeoutMs, true);
        data += piece;
        size -= piece;
    }
}

void FtpTransferChannel::pay(qint64 bytes)
{
    if (m_limit && !m_limit->draw(bytes, m_context.interrupt()))
        m_data.socket().checkInterrupt(true);
}

void FtpTransferChannel::finish()
{
    // Closing the data connection is what tells the server an upload is
    // complete.
    try {
        m_data.finish();
    } catch (const RemoteError &error) {
        if (error.number == RemoteErrorCode::ConnectionDropped)
            throw;
        // The server's reply tells what became of the data.
    }
    m_ended = true;
    FtpControlConnection &control = m_context.control();
    FtpReply reply = control.readReply();
    for (int i = 0; reply.isPreliminary() && i < 8; ++i)
        reply = control.readReply();
    if (reply.isPositive())
        return;
    if (reply.code == 522 && m_data.encrypted())
        refuseEncryptedData(reply);
    if (reply.code >= 400)
        control.refuse(reply);
    throw FtpErrors::own(RemoteErrorCode::BadReply,
                         RemoteText(RemoteMessage::UnreadableEndReply, {control.text(reply)}));
}

void FtpTransferChannel::refuseEncryptedData(const FtpReply &reply) const
{
    const QString server = m_context.control().text(reply);
    // vsftpd and others insist that the data connection resumes the control
    // connection's TLS session: nothing else proves it is the same client.
    throw FtpErrors::own(RemoteErrorCode::DataTlsFailed,
                         RemoteText(m_data.resumed() ? RemoteMessage::DataTlsRefused
                                                     : RemoteMessage::DataTlsNotResumed,
                                    {server}));
}

void FtpTransferChannel::run(const std::function<void()> &stream,
                             const std::function<RemoteError()> &stopped)
{
    try {
        stream();
    } catch (const RemoteStopRequest &) {
        const RemoteError error = stopped();
        abortQuietly();
        throw error;
    } catch (const RemoteError &error) {
        if (m_ended || error.number != RemoteErrorCode::TransferIncomplete)
            throw;
        // The data connection broke: the server's final reply says why
        // (426, 552), and keeps the replies in step.
        finish();
        throw;
    }
    finish();
}

void FtpTransferChannel::abort(const RemoteError &error)
{
    abortQuietly();
    throw error;
}

void FtpTransferChannel::abortQuietly()
{
    close();
    m_ended = true;
    FtpControlConnection &control = m_context.control();
    try {
        // The PWD reply (257) marks the end of whatever the server still had
        // to say about the transfer and the ABOR: 426, 226, 225 in any number.
        control.send("ABOR");
        control.send("PWD");
        for (int i = 0; i < 8; ++i)
            if (control.readReply().code == 257)
                return;
        // The server does not come back: the operation's guard closes the
        // session.
        control.close();
    } catch (const RemoteError &error) {
        control.close();
        if (error.number == RemoteErrorCode::ConnectionDropped)
            throw;
    }
}
