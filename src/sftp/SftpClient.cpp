#include "sftp/SftpClient.h"

#include "sftp/SftpError.h"
#include "sftp/SftpPacketReader.h"
#include "sftp/SftpProtocol.h"
#include "sftp/SftpRequest.h"
#include "sftp/SftpTransport.h"

namespace {

const QByteArray LimitsExtension = QByteArrayLiteral("limits@openssh.com");

// What every server takes, and the most worth asking for: OpenSSH's own
// client asks no more, and a reply must fit the 256 KiB packets OpenSSH
// reads.
constexpr quint32 PortableLength = 32 * 1024;
constexpr quint32 LargestLength = 255 * 1024;
// A packet's bytes besides the data of a READ reply or a WRITE request.
constexpr quint64 PacketOverhead = 1024;

quint32 limited(quint64 limit, quint64 packetLimit)
{
    quint64 length = limit == 0 ? PortableLength : qMin<quint64>(limit, LargestLength);
    if (packetLimit > PacketOverhead)
        length = qMin(length, packetLimit - PacketOverhead);
    return quint32(qMax<quint64>(length, 512));
}

} // namespace

SftpClient::SftpClient(SftpTransport &transport) : m_transport(transport) {}

void SftpClient::reset()
{
    m_server = SftpServerInfo();
    m_active.clear();
    m_abandoned.clear();
    m_reply = SftpReply();
}

void SftpClient::broken(const QString &detail)
{
    m_transport.drop();
    throw SftpError{SftpErrorKind::ProtocolError, -1, {}, {}, detail};
}

void SftpClient::start()
{
    reset();
    m_transport.write(SftpRequest::init(SftpVersion::Supported));
    SftpPacket packet;
    for (;;) {
        const SftpPacketReader::Status status = m_transport.reader().next(packet);
        if (status == SftpPacketReader::Status::Packet)
            break;
        if (status == SftpPacketReader::Status::Error)
            broken(QStringLiteral("packet length %1").arg(m_transport.reader().faultyLength()));
        m_transport.receiveMore(true);
    }
    SftpVersionReply version;
    if (!SftpVersionReply::decode(packet, version))
        broken(QStringLiteral("no SSH_FXP_VERSION (packet type %1)").arg(packet.type));
    // A server answers with the lower of the two versions; anything but 3
    // means packets this client cannot read.
    if (version.version != SftpVersion::Supported)
        broken(QStringLiteral("SFTP version %1").arg(version.version));
    m_server.version = version.version;
    for (const auto &extension : std::as_const(version.extensions))
        m_server.extensions.append(extension.first);
    if (!m_server.extensions.contains(LimitsExtension))
        return;
    const quint32 id = nextId();
    const SftpReply &reply =
        call(id, SftpRequest(SftpPacketType::Extended, id).string(LimitsExtension).take());
    m_server.hasLimits = reply.type == SftpPacketType::ExtendedReply &&
                         SftpLimits::decode(reply.extended, m_server.limits);
}

void SftpClient::send(quint32 id, QByteArray request)
{
    m_active.insert(id);
    m_transport.write(std::move(request));
}

void SftpClient::closeAbandonedHandle(const QByteArray &handle)
{
    const quint32 id = nextId();
    m_abandoned.insert(id);
    m_transport.write(SftpRequest(SftpPacketType::Close, id).string(handle).take());
}

const SftpReply &SftpClient::next()
{
    if (m_active.empty())
        broken(QStringLiteral("waiting without a request"));
    for (;;) {
        SftpPacket packet;
        const SftpPacketReader::Status status = m_transport.reader().next(packet);
        if (status == SftpPacketReader::Status::Error)
            broken(QStringLiteral("packet length %1").arg(m_transport.reader().faultyLength()));
        if (status == SftpPacketReader::Status::NeedMore) {
            m_transport.receiveMore(true);
            continue;
        }
        if (!SftpReply::decode(packet, m_reply))
            broken(QStringLiteral("unreadable reply (packet type %1)").arg(packet.type));
        if (m_active.erase(m_reply.id) > 0)
            return m_reply;
        if (m_abandoned.erase(m_reply.id) == 0)
            broken(QStringLiteral("reply to request %1, never sent").arg(m_reply.id));
        if (m_reply.type == SftpPacketType::Handle)
            closeAbandonedHandle(m_reply.handle);
    }
}

const SftpReply &SftpClient::call(quint32 id, QByteArray request)
{
    send(id, std::move(request));
    try {
        return next();
    } catch (const SftpStopRequest &) {
        abandon(id);
        throw;
    }
}

void SftpClient::abandon(quint32 id)
{
    if (m_active.erase(id) > 0)
        m_abandoned.insert(id);
}

void SftpClient::flush()
{
    m_transport.flush(false);
}

quint32 SftpClient::readLength() const
{
    return m_server.hasLimits
               ? limited(m_server.limits.maxReadLength, m_server.limits.maxPacketLength)
               : PortableLength;
}

quint32 SftpClient::writeLength() const
{
    return m_server.hasLimits
               ? limited(m_server.limits.maxWriteLength, m_server.limits.maxPacketLength)
               : PortableLength;
}
