#include "sftp/SftpDecoder.h"

bool SftpDecoder::take(qsizetype size)
{
    if (!m_ok || size > m_bytes.size() - m_position) {
        m_ok = false;
        return false;
    }
    return true;
}

quint8 SftpDecoder::u8()
{
    if (!take(1))
        return 0;
    return static_cast<quint8>(m_bytes[m_position++]);
}

quint32 SftpDecoder::u32()
{
    if (!take(4))
        return 0;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<quint8>(m_bytes[m_position++]);
    return value;
}

quint64 SftpDecoder::u64()
{
    const quint64 high = u32();
    return (high << 32) | u32();
}

QByteArrayView SftpDecoder::string()
{
    const quint32 length = u32();
    if (!take(qsizetype(length)))
        return {};
    const QByteArrayView value = m_bytes.sliced(m_position, length);
    m_position += length;
    return value;
}
