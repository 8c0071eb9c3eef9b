#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One packet cut out of the stream: its type and the rest of its body (for
// replies: the request id, then the fields). `body` points into the
// reader's buffer and stays valid until the next feed().
struct SftpPacket
{
    quint8 type = 0;
    QByteArrayView body;
};

// Cuts SFTP packets (uint32 length, byte type, body) out of what arrives on
// the channel, however it is split. No sockets: the channel feeds it, and
// so does the fuzz target. A packet longer than MaxPacketLength, or of
// length 0, is a fault: the reader refuses it as soon as its length is
// there, before any of it is kept, and stays failed.
class SftpPacketReader
{
public:
    // Larger than any reply asked for (reads are at most 255 KiB), and than
    // the name lists servers send (OpenSSH: 100 names at a time).
    static constexpr quint32 MaxPacketLength = 4 * 1024 * 1024;

    enum class Status
    {
        Packet,
        NeedMore,
        Error
    };

    void feed(QByteArrayView bytes);
    Status next(SftpPacket &packet);
    void reset();

    // Bytes received and not yet handed out.
    qsizetype pending() const { return m_buffer.size() - m_position; }
    bool failed() const { return m_failed; }
    // The length the faulty packet announced.
    quint32 faultyLength() const { return m_faultyLength; }

private:
    QByteArray m_buffer;
    qsizetype m_position = 0;
    bool m_failed = false;
    quint32 m_faultyLength = 0;
};
