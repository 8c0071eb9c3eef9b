#include "sftp/SftpDownload.h"

#include "sftp/SftpClient.h"
#include "sftp/SftpError.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpProgress.h"
#include "sftp/SftpProtocol.h"
#include "sftp/SftpRefusal.h"
#include "sftp/SftpRequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <optional>
#include <unordered_map>

namespace {

constexpr quint64 Unbounded = ~quint64(0);

SftpError localError(const QString &path, const QString &detail)
{
    return SftpError{SftpErrorKind::LocalFileError, -1, {}, QDir::toNativeSeparators(path), detail};
}

// The reads in flight and what has arrived: the local file is complete up
// to `contiguous`; ranges that arrived past a gap wait in `ahead`.
class ReadPlan
{
public:
    struct Read
    {
        quint64 offset;
        quint32 length;
    };

    ReadPlan(quint64 start, quint64 end) : m_next(start), m_end(end), m_contiguous(start) {}

    // The next read to send, if any: up to the end the server gave, then
    // one read at a time past it (the end of file is confirmed by a read
    // the server answers with EOF; a file that grew goes on).
    std::optional<Read> nextRead(quint32 chunk)
    {
        if (m_eof)
            return std::nullopt;
        if (m_next < m_end) {
            const quint32 length = quint32(qMin<quint64>(chunk, m_end - m_next));
            const Read read{m_next, length};
            m_next += length;
            return read;
        }
        if (m_probing)
            return std::nullopt;
        m_probing = true;
        const Read read{m_next, chunk};
        m_next += chunk;
        return read;
    }

    void arrived(const Read &read, quint64 length)
    {
        if (read.offset >= m_end) {
            m_probing = false;
            m_end = Unbounded; // it grew: read on until the server says EOF
        }
        const quint64 end = read.offset + length;
        if (read.offset != m_contiguous) {
            m_ahead[read.offset] = end;
            return;
        }
        m_contiguous = end;
        for (auto it = m_ahead.begin(); it != m_ahead.end() && it->first == m_contiguous;
             it = m_ahead.erase(it))
            m_contiguous = it->second;
    }

    void endOfFile(const Read &read)
    {
        if (read.offset >= m_end)
            m_probing = false;
        m_eof = true;
        m_eofAt = qMin(m_eofAt, read.offset);
    }

    quint64 contiguous() const { return m_contiguous; }
    // Everything before the end of file arrived.
    bool complete() const { return m_eof && m_ahead.empty() && m_contiguous == m_eofAt; }

private:
    quint64 m_next;
    quint64 m_end;
    quint64 m_contiguous;
    quint64 m_eofAt = Unbounded;
    bool m_eof = false;
    bool m_probing = false;
    std::map<quint64, quint64> m_ahead;
};

} // namespace

SftpDownload::SftpDownload(SftpClient &client, SftpEventSink &sink, int requestsInFlight,
                           SftpPace pace)
    : m_client(client), m_sink(sink), m_depth(qMax(1, requestsInFlight)), m_pace(pace)
{}

void SftpDownload::closeHandle(const QByteArray &handle)
{
    try {
        const quint32 id = m_client.nextId();
        m_client.send(id, SftpRequest(SftpPacketType::Close, id).string(handle).take());
        m_client.abandon(id);
    } catch (const SftpError &) {
        // The connection is gone, and the handle with it.
    }
}

SftpDownload::Opened SftpDownload::open(const QByteArray &remote, const QString &shown)
{
    // OPEN and STAT together: one round trip for both.
    const quint32 openId = m_client.nextId();
    m_client.send(openId, SftpRequest(SftpPacketType::Open, openId)
                              .string(remote)
                              .u32(SftpOpenFlag::Read)
                              .attributes(SftpAttributes())
                              .take());
    const quint32 statId = m_client.nextId();
    m_client.send(statId, SftpRequest(SftpPacketType::Stat, statId).string(remote).take());
    Opened opened;
    std::optional<SftpError> refusal;
    try {
        for (int replies = 0; replies < 2; ++replies) {
            const SftpReply &reply = m_client.next();
            if (reply.id == statId) {
                if (reply.type == SftpPacketType::Attrs &&
                    reply.attributes.has(SftpAttributeFlag::Size) &&
                    reply.attributes.size <= quint64(INT64_MAX))
                    opened.size = qint64(reply.attributes.size);
            } else if (reply.type == SftpPacketType::Handle) {
                opened.handle = reply.handle;
            } else {
                try {
                    SftpRefusal::expect(reply, SftpPacketType::Handle, shown);
                } catch (const SftpError &error) {
                    refusal = error;
                }
            }
        }
    } catch (const SftpStopRequest &) {
        m_client.abandon(openId);
        m_client.abandon(statId);
        throw;
    }
    if (refusal)
        throw *refusal;
    return opened;
}

void SftpDownload::run(const QByteArray &remote, const QString &shown, const QString &local,
                       qint64 offset)
{
    if (offset < 0)
        throw SftpError{
            SftpErrorKind::InvalidArgument, -1, {}, shown, QStringLiteral("offset %1").arg(offset)};
    const QFileInfo info(local);
    if (info.isDir())
        throw localError(local, QStringLiteral("a folder"));
    if (offset > 0 && (!info.isFile() || info.size() < offset))
        throw SftpError{SftpErrorKind::CannotResume,
                        -1,
                        {},
                        QDir::toNativeSeparators(local),
                        QStringLiteral("local size %1 < offset %2").arg(info.size()).arg(offset)};
    const Opened opened = open(remote, shown);
    if (opened.size >= 0 && offset > opened.size) {
        closeHandle(opened.handle);
        throw SftpError{SftpErrorKind::CannotResume,
                        -1,
                        {},
                        shown,
                        QStringLiteral("offset %1 > remote size %2").arg(offset).arg(opened.size)};
    }
    QFile file(local);
    const bool ready =
        offset == 0 ? file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
                    : file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) &&
                          file.resize(offset) && file.seek(offset);
    if (!ready) {
        closeHandle(opened.handle);
        throw localError(local, file.errorString());
    }
    const quint64 end = opened.size >= 0 ? quint64(opened.size) : Unbounded;
    ReadPlan plan(quint64(offset), end);
    SftpProgress progress(m_sink, SftpActivity::DownloadProgress, shown,
                          opened.size >= 0 ? opened.size - offset : -1);
    std::unordered_map<quint32, ReadPlan::Read> reads;
    const quint32 chunk = m_client.readLength();
    const auto send = [&](const ReadPlan::Read &read) {
        const quint32 id = m_client.nextId();
        reads.emplace(id, read);
        m_client.send(id, SftpRequest(SftpPacketType::Read, id, 4 + opened.handle.size() + 12)
                              .string(opened.handle)
                              .u64(read.offset)
                              .u32(read.length)
                              .take());
    };
    quint64 position = quint64(offset);
    const auto abandonAll = [&] {
        for (const auto &entry : reads)
            m_client.abandon(entry.first);
        closeHandle(opened.handle);
        file.resize(qint64(plan.contiguous()));
    };
    try {
        for (;;) {
            // Reads go out in batches: each send costs both sides a packet,
            // its MAC and a wake-up, while the reads still in flight keep the
            // server busy. A limit may change meanwhile: looked at each time.
            const quint32 piece = m_pace.piece(chunk);
            const qsizetype depth = m_pace.inFlight(m_depth, piece);
            const qsizetype batch = qMax<qsizetype>(1, depth / 8);
            if (reads.empty() || depth - qsizetype(reads.size()) >= batch) {
                while (qsizetype(reads.size()) < depth) {
                    const std::optional<ReadPlan::Read> read = plan.nextRead(piece);
                    if (!read)
                        break;
                    // The read that asks past the known end only confirms it.
                    if (read->offset < end)
                        m_pace.pay(read->length);
                    send(*read);
                }
            }
            if (reads.empty())
                break;
            const SftpReply &reply = m_client.next();
            const auto found = reads.find(reply.id);
            if (found == reads.end())
                throw SftpError{SftpErrorKind::ProtocolError,
                                -1,
                                {},
                                shown,
                                QStringLiteral("reply %1 to no read").arg(reply.id)};
            const ReadPlan::Read read = found->second;
            reads.erase(found);
            if (reply.type == SftpPacketType::Status && reply.status == SftpStatus::Eof) {
                plan.endOfFile(read);
                continue;
            }
            SftpRefusal::expect(reply, SftpPacketType::Data, shown);
            const quint64 length = quint64(reply.data.size());
            if (length == 0 || length > read.length)
                throw SftpError{
                    SftpErrorKind::ProtocolError,
                    -1,
                    {},
                    shown,
                    QStringLiteral("%1 bytes for a read of %2").arg(length).arg(read.length)};
            if ((position != read.offset && !file.seek(qint64(read.offset))) ||
                file.write(reply.data.data(), qint64(length)) != qint64(length))
                throw localError(local, file.errorString());
            position = read.offset + length;
            plan.arrived(read, length);
            progress.add(qint64(length));
            // A short read that is no end of file: the rest is asked again.
            if (length < read.length)
                send({read.offset + length, quint32(read.length - length)});
        }
    } catch (const SftpStopRequest &) {
        abandonAll();
        progress.finish();
        m_sink.activity({SftpActivity::TransferStopped, shown, local, progress.count(), -1});
        throw SftpError{SftpErrorKind::Stopped, -1, {}, shown, {}};
    } catch (const SftpError &) {
        abandonAll();
        throw;
    }
    closeHandle(opened.handle);
    file.close();
    const qint64 received = qint64(plan.contiguous());
    if (!plan.complete() || (opened.size >= 0 && received < opened.size)) {
        QFile::resize(local, received);
        throw SftpError{SftpErrorKind::TransferIncomplete,
                        -1,
                        {},
                        shown,
                        QStringLiteral("%1 of %2 bytes").arg(received).arg(opened.size)};
    }
    progress.finish();
    m_sink.activity({SftpActivity::FileTransferred, shown, local, progress.count(), -1});
}
