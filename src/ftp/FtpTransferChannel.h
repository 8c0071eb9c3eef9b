#pragma once

#include "ftp/FtpDataConnection.h"
#include "ftp/FtpReplyReader.h"
#include "remote/RemoteError.h"

#include <QByteArray>
#include <functional>

class FtpContext;
class RateLimit;

// One exchange over a data connection, the same for listings, downloads and
// uploads: prepare the data connection, send the command, expect its
// preliminary reply (or accept a bare completion where a listing may get
// one), move the data, then read the final reply, or abort.
//
//     FtpTransferChannel channel(context);
//     channel.prepare();
//     if (channel.start("RETR", name) != FtpTransferChannel::Outcome::Open)
//         channel.refuse();
//     channel.run([&] { ... channel.receive(...) ... }, stopped);
//
// Whatever way it ends, the replies of the control connection stay in step
// with the commands: after a stop or a limit the transfer is aborted and
// everything the server still says about it is read (ABOR, then PWD as a
// marker); a broken data connection is followed by the server's final word.
class FtpTransferChannel
{
public:
    enum class Outcome
    {
        Open,      // 1xx: the data flows
        Completed, // a bare 2xx without a preliminary reply: no data at all
        Refused    // 4xx or 5xx: reply() says why
    };

    explicit FtpTransferChannel(FtpContext &context);

    // EPSV/PASV, or EPRT/PORT; a stop meanwhile throws 11101.
    void prepare();
    // REST before the command; false when the server does not agree (its
    // reply in reply()).
    bool restart(qint64 offset);
    // Sends the command. A bare completion counts as Completed only when
    // `completionWithoutData` allows it; otherwise, like any other reply
    // that fits nothing, it throws 11114. Refused and Completed close the
    // data connection.
    Outcome start(const QByteArray &verb, const QByteArray &argument,
                  bool completionWithoutData = false);
    // The last reply: the preliminary one after start(), a refusal.
    const FtpReply &reply() const { return m_reply; }
    [[noreturn]] void refuse() const;

    // The data that follows draws from `limit` (nullptr: none): it moves in
    // the limit's pieces, each paid for before more goes. Files only: a
    // listing is never held back.
    void limitBy(RateLimit *limit) { m_limit = limit; }
    // The data, with the time-out restarting with every piece: slow but
    // moving data is fine. Both throw RemoteStopRequest on a stop and 11113
    // when the data connection breaks; receive() gives 0 at the end.
    qint64 receive(char *buffer, qint64 size);
    void send(const char *data, qint64 size);
    // After receive() gave the end: the encrypted data connection ended
    // without TLS's close_notify, so the data may have been cut short.
    bool cutShort() const { return m_cutShort; }

    // Runs `stream` (which moves the data) and ends the transfer: reads the
    // final reply, or on a stop aborts and throws what `stopped` returns
    // (after it said what became of the data), or when the data connection
    // broke reads the final reply and throws the server's refusal (426,
    // 552) or the break. `stream` may end early with abort().
    void run(const std::function<void()> &stream, const std::function<RemoteError()> &stopped);
    // Ends the transfer early (ABOR) and throws `error`.
    [[noreturn]] void abort(const RemoteError &error);
    void close();

private:
    void abortQuietly();
    void finish();
    // Waits until the limit allows `bytes` more; throws as a wait does on
    // a stop or a drop meanwhile.
    void pay(qint64 bytes);
    // A 522 after an encrypted transfer: the server would not take the
    // data connection's TLS.
    [[noreturn]] void refuseEncryptedData(const FtpReply &reply) const;

    FtpContext &m_context;
    FtpDataConnection m_data;
    FtpReply m_reply;
    RateLimit *m_limit = nullptr;
    bool m_ended = false;
    bool m_cutShort = false;
};
