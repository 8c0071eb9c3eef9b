// The SFTP packet reader and reply decoder: whatever a server sends, they
// never read out of bounds, keep their limits, cut the same packets out of
// the stream however it is split, and decode each the same way.

#include "FuzzCheck.h"
#include "sftp/SftpPacketReader.h"
#include "sftp/SftpReply.h"

#include <QList>
#include <cstdint>

namespace {

struct Outcome
{
    QList<QByteArray> packets; // type byte + body
    QList<QByteArray> decoded; // what the decoder read of each
    bool failed = false;
};

// A summary of what was decoded, to compare two readings of one packet.
QByteArray summary(const SftpPacket &packet)
{
    SftpReply reply;
    if (SftpReply::decode(packet, reply)) {
        FUZZ_CHECK(reply.type == packet.type);
        FUZZ_CHECK(reply.handle.size() <= 256);
        FUZZ_CHECK(reply.data.size() <= packet.body.size());
        // Every name takes at least 12 bytes of the packet.
        FUZZ_CHECK(reply.names.size() * 12 <= packet.body.size());
        QByteArray text = QByteArray::number(reply.id) + ' ' + QByteArray::number(reply.status) +
                          ' ' + reply.message + ' ' + reply.handle + ' ' + reply.data.toByteArray();
        for (const SftpNameItem &name : reply.names)
            text += ' ' + name.name + '/' + QByteArray::number(name.attributes.size);
        SftpLimits limits;
        if (SftpLimits::decode(reply.extended, limits))
            text += ' ' + QByteArray::number(limits.maxReadLength);
        return text;
    }
    SftpVersionReply version;
    if (SftpVersionReply::decode(packet, version))
        return "version " + QByteArray::number(version.version) + ' ' +
               QByteArray::number(version.extensions.size());
    return "unreadable";
}

Outcome read(QByteArrayView stream, qsizetype piece)
{
    SftpPacketReader reader;
    Outcome outcome;
    for (qsizetype position = 0; position < stream.size() && !outcome.failed; position += piece) {
        reader.feed(stream.sliced(position, qMin(piece, stream.size() - position)));
        SftpPacket packet;
        SftpPacketReader::Status status;
        while ((status = reader.next(packet)) == SftpPacketReader::Status::Packet) {
            FUZZ_CHECK(packet.body.size() < qsizetype(SftpPacketReader::MaxPacketLength));
            outcome.packets.append(char(packet.type) + packet.body.toByteArray());
            outcome.decoded.append(summary(packet));
        }
        if (status == SftpPacketReader::Status::Error) {
            FUZZ_CHECK(reader.failed() && reader.pending() == 0);
            FUZZ_CHECK(reader.next(packet) == SftpPacketReader::Status::Error);
            outcome.failed = true;
        }
        // What waits for the rest of its packet is one packet's beginning.
        FUZZ_CHECK(outcome.failed ||
                   reader.pending() <= qsizetype(SftpPacketReader::MaxPacketLength) + 4 + piece);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how the stream is cut into pieces.
    const qsizetype piece = data[0] % 64 + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    const Outcome whole = read(stream, qMax<qsizetype>(1, stream.size()));
    const Outcome pieces = read(stream, piece);
    FUZZ_CHECK(whole.failed == pieces.failed);
    FUZZ_CHECK(whole.packets == pieces.packets);
    FUZZ_CHECK(whole.decoded == pieces.decoded);
    return 0;
}
