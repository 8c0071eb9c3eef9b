#include "sftp/SftpReply.h"

#include "sftp/SftpDecoder.h"
#include "sftp/SftpPacketReader.h"
#include "sftp/SftpProtocol.h"

namespace {

bool decodeNames(SftpDecoder &decoder, QVector<SftpNameItem> &names)
{
    quint32 count = decoder.u32();
    // Each name takes at least 12 bytes: no count makes a list larger than
    // its packet.
    if (!decoder.ok() || count > quint32(decoder.remaining() / 12))
        return false;
    names.reserve(qsizetype(count));
    for (; count > 0; --count) {
        SftpNameItem item;
        item.name = decoder.string().toByteArray();
        item.longName = decoder.string().toByteArray();
        if (!item.attributes.decode(decoder))
            return false;
        names.append(std::move(item));
    }
    return true;
}

} // namespace

bool SftpReply::decode(const SftpPacket &packet, SftpReply &reply)
{
    reply = SftpReply();
    SftpDecoder decoder(packet.body);
    reply.type = packet.type;
    reply.id = decoder.u32();
    switch (packet.type) {
    case SftpPacketType::Status:
        reply.status = decoder.u32();
        if (decoder.ok() && decoder.remaining() > 0) {
            reply.message = decoder.string().toByteArray();
            if (decoder.remaining() > 0)
                decoder.string(); // the language tag
        }
        break;
    case SftpPacketType::Handle:
        reply.handle = decoder.string().toByteArray();
        // A handle is at most 256 bytes long.
        if (reply.handle.size() > 256)
            return false;
        break;
    case SftpPacketType::Data:
        reply.data = decoder.string();
        break;
    case SftpPacketType::Name:
        if (!decodeNames(decoder, reply.names))
            return false;
        break;
    case SftpPacketType::Attrs:
        reply.attributes.decode(decoder);
        break;
    case SftpPacketType::ExtendedReply:
        if (decoder.ok())
            reply.extended = packet.body.sliced(4);
        break;
    default:
        return false;
    }
    return decoder.ok();
}

bool SftpVersionReply::decode(const SftpPacket &packet, SftpVersionReply &reply)
{
    if (packet.type != SftpPacketType::Version)
        return false;
    reply = SftpVersionReply();
    SftpDecoder decoder(packet.body);
    reply.version = decoder.u32();
    while (decoder.ok() && decoder.remaining() > 0) {
        const QByteArrayView name = decoder.string();
        const QByteArrayView data = decoder.string();
        if (decoder.ok())
            reply.extensions.append({name.toByteArray(), data.toByteArray()});
    }
    return decoder.ok();
}

bool SftpLimits::decode(QByteArrayView extended, SftpLimits &limits)
{
    SftpDecoder decoder(extended);
    limits.maxPacketLength = decoder.u64();
    limits.maxReadLength = decoder.u64();
    limits.maxWriteLength = decoder.u64();
    limits.maxOpenHandles = decoder.u64();
    return decoder.ok();
}
