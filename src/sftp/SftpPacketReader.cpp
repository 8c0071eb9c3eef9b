#include "sftp/SftpPacketReader.h"

#include <QtEndian>

void SftpPacketReader::feed(QByteArrayView bytes)
{
    if (m_failed)
        return;
    // Packets handed out are dropped only here, so that their views stay
    // valid until then; what is left is at most one packet's beginning.
    if (m_position > 0) {
        m_buffer.remove(0, m_position);
        m_position = 0;
    }
    m_buffer.append(bytes.data(), bytes.size());
}

SftpPacketReader::Status SftpPacketReader::next(SftpPacket &packet)
{
    if (m_failed)
        return Status::Error;
    if (pending() < 4)
        return Status::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_position);
    if (length == 0 || length > MaxPacketLength) {
        m_failed = true;
        m_faultyLength = length;
        m_buffer.clear();
        m_position = 0;
        return Status::Error;
    }
    if (pending() - 4 < qsizetype(length))
        return Status::NeedMore;
    const char *start = m_buffer.constData() + m_position + 4;
    packet.type = static_cast<quint8>(start[0]);
    packet.body = QByteArrayView(start + 1, qsizetype(length) - 1);
    m_position += 4 + qsizetype(length);
    return Status::Packet;
}

void SftpPacketReader::reset()
{
    m_buffer.clear();
    m_position = 0;
    m_failed = false;
    m_faultyLength = 0;
}
