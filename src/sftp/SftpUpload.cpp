#include "sftp/SftpUpload.h"

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
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Writes queued and in flight together: enough to keep the connection
// busy, little enough to keep the memory of an upload small.
constexpr qint64 BytesInFlight = 4 * 1024 * 1024;

SftpError localError(const QFile &file)
{
    return SftpError{SftpErrorKind::LocalFileError,
                     -1,
                     {},
                     QDir::toNativeSeparators(file.fileName()),
                     file.errorString()};
}

// The permission bits a new remote file gets: those of the local file, as
// OpenSSH's client does (the server's umask still applies).
quint32 permissionsOf(const QFile &file)
{
    const QFileDevice::Permissions permissions = file.permissions();
    quint32 mode = 0;
    const std::pair<QFileDevice::Permission, quint32> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200},
        {QFileDevice::ExeOwner, 0100},  {QFileDevice::ReadGroup, 040},
        {QFileDevice::WriteGroup, 020}, {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},
        {QFileDevice::ExeOther, 01}};
    for (const auto &[permission, bit] : bits)
        if (permissions & permission)
            mode |= bit;
    return mode;
}

// The memory of the WRITE requests, used again once the transport has
// handed a request's bytes to libssh: a new buffer for every request costs
// the system a fresh page for every 4 KiB of the file.
class RequestBuffers
{
public:
    // A buffer only this holds, or an empty one.
    QByteArray take()
    {
        for (QByteArray &buffer : m_buffers)
            if (!buffer.isNull() && buffer.isDetached())
                return std::exchange(buffer, QByteArray());
        return {};
    }
    // `request` is being sent: its buffer comes back to take() once the
    // transport lets go of it.
    void keep(const QByteArray &request)
    {
        for (QByteArray &buffer : m_buffers)
            if (buffer.isNull()) {
                buffer = request;
                return;
            }
        m_buffers.push_back(request);
    }

private:
    std::vector<QByteArray> m_buffers;
};

} // namespace

SftpUpload::SftpUpload(SftpClient &client, SftpEventSink &sink, int requestsInFlight, SftpPace pace)
    : m_client(client), m_sink(sink), m_depth(qMax(1, requestsInFlight)), m_pace(pace)
{}

void SftpUpload::closeHandle(const QByteArray &handle)
{
    try {
        const quint32 id = m_client.nextId();
        m_client.send(id, SftpRequest(SftpPacketType::Close, id).string(handle).take());
        m_client.abandon(id);
    } catch (const SftpError &) {
        // The connection is gone, and the handle with it.
    }
}

QByteArray SftpUpload::open(const QByteArray &remote, const QString &shown, bool truncate,
                            quint32 permissions)
{
    SftpAttributes attributes;
    attributes.flags = SftpAttributeFlag::Permissions;
    attributes.permissions = permissions;
    const quint32 flags =
        SftpOpenFlag::Write | SftpOpenFlag::Create | (truncate ? SftpOpenFlag::Truncate : 0);
    const quint32 id = m_client.nextId();
    const SftpReply &reply = m_client.call(id, SftpRequest(SftpPacketType::Open, id)
                                                   .string(remote)
                                                   .u32(flags)
                                                   .attributes(attributes)
                                                   .take());
    SftpRefusal::expect(reply, SftpPacketType::Handle, shown);
    return reply.handle;
}

qint64 SftpUpload::remoteSize(const QByteArray &handle, const QString &shown)
{
    const quint32 id = m_client.nextId();
    const SftpReply &reply =
        m_client.call(id, SftpRequest(SftpPacketType::Fstat, id).string(handle).take());
    SftpRefusal::expect(reply, SftpPacketType::Attrs, shown);
    if (!reply.attributes.has(SftpAttributeFlag::Size) ||
        reply.attributes.size > quint64(INT64_MAX))
        return -1;
    return qint64(reply.attributes.size);
}

void SftpUpload::run(const QString &local, const QByteArray &remote, const QString &shown,
                     qint64 offset)
{
    QFile file(local);
    // A folder opens for reading on Unix: refuse it before the server
    // empties the remote file.
    if (!QFileInfo(local).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw localError(file);
    const qint64 size = file.size();
    if (offset < 0 || offset > size)
        throw SftpError{SftpErrorKind::CannotResume,
                        -1,
                        {},
                        QDir::toNativeSeparators(local),
                        QStringLiteral("offset %1 > local size %2").arg(offset).arg(size)};
    const QByteArray handle = open(remote, shown, offset == 0, permissionsOf(file));
    qint64 existing = 0;
    try {
        if (offset > 0) {
            existing = remoteSize(handle, shown);
            if (existing < offset)
                throw SftpError{
                    SftpErrorKind::CannotResume,
                    -1,
                    {},
                    shown,
                    QStringLiteral("remote size %1 < offset %2").arg(existing).arg(offset)};
        }
        if (!file.seek(offset))
            throw localError(file);
    } catch (const SftpStopRequest &) {
        closeHandle(handle);
        throw SftpError{SftpErrorKind::Stopped, -1, {}, shown, {}};
    } catch (const SftpError &) {
        closeHandle(handle);
        throw;
    }
    const qint64 chunk = m_client.writeLength();
    const qint64 depth = qMin<qint64>(m_depth, qMax<qint64>(1, BytesInFlight / chunk));
    RequestBuffers buffers;
    std::unordered_map<quint32, qint64> writes;
    SftpProgress progress(m_sink, SftpActivity::UploadProgress, shown, size - offset);
    qint64 position = offset;
    try {
        while (position < size || !writes.empty()) {
            const qint64 piece = m_pace.piece(quint32(chunk));
            while (qint64(writes.size()) < m_pace.inFlight(depth, quint32(piece)) &&
                   position < size) {
                m_pace.pay(qMin(piece, size - position));
                const quint32 id = m_client.nextId();
                SftpRequest request(SftpPacketType::Write, id, handle.size() + chunk + 16,
                                    buffers.take());
                request.string(handle).u64(quint64(position));
                const qint64 length = request.stringFrom(file, qMin(piece, size - position));
                if (length <= 0)
                    throw localError(file);
                QByteArray bytes = request.take();
                buffers.keep(bytes);
                m_client.send(id, std::move(bytes));
                writes.emplace(id, length);
                position += length;
            }
            const SftpReply &reply = m_client.next();
            SftpRefusal::expectOk(reply, shown);
            const auto found = writes.find(reply.id);
            if (found == writes.end())
                throw SftpError{SftpErrorKind::ProtocolError,
                                -1,
                                {},
                                shown,
                                QStringLiteral("reply %1 to no write").arg(reply.id)};
            progress.add(found->second);
            writes.erase(found);
        }
        if (existing > size) {
            // Resumed into a longer file: what lies past the local end is
            // not the local file's.
            SftpAttributes attributes;
            attributes.flags = SftpAttributeFlag::Size;
            attributes.size = quint64(size);
            const quint32 id = m_client.nextId();
            SftpRefusal::expectOk(m_client.call(id, SftpRequest(SftpPacketType::Fsetstat, id)
                                                        .string(handle)
                                                        .attributes(attributes)
                                                        .take()),
                                  shown);
        }
        // Some servers only write at close, and say so there.
        const quint32 id = m_client.nextId();
        SftpRefusal::expectOk(
            m_client.call(id, SftpRequest(SftpPacketType::Close, id).string(handle).take()), shown);
    } catch (const SftpStopRequest &) {
        for (const auto &entry : writes)
            m_client.abandon(entry.first);
        closeHandle(handle);
        progress.finish();
        m_sink.activity({SftpActivity::TransferStopped, shown, local, progress.count(), -1});
        throw SftpError{SftpErrorKind::Stopped, -1, {}, shown, {}};
    } catch (const SftpError &) {
        for (const auto &entry : writes)
            m_client.abandon(entry.first);
        closeHandle(handle);
        throw;
    }
    progress.finish();
    m_sink.activity({SftpActivity::FileTransferred, shown, local, progress.count(), -1});
}
