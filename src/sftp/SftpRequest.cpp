#include "sftp/SftpRequest.h"

#include "sftp/SftpAttributes.h"
#include "sftp/SftpProtocol.h"

#include <QIODevice>
#include <QtEndian>

SftpRequest::SftpRequest(quint8 type, quint32 id, qsizetype reserve)
    : SftpRequest(type, id, reserve, QByteArray())
{}

SftpRequest::SftpRequest(quint8 type, quint32 id, qsizetype reserve, QByteArray buffer)
    : m_bytes(std::move(buffer))
{
    m_bytes.resize(0); // keeps the memory
    m_bytes.reserve(reserve + 9);
    SftpEncoding::appendU32(m_bytes, 0);
    m_bytes.append(char(type));
    SftpEncoding::appendU32(m_bytes, id);
}

QByteArray SftpRequest::init(quint32 version)
{
    QByteArray bytes;
    SftpEncoding::appendU32(bytes, 5);
    bytes.append(char(SftpPacketType::Init));
    SftpEncoding::appendU32(bytes, version);
    return bytes;
}

SftpRequest &SftpRequest::attributes(const SftpAttributes &attributes)
{
    attributes.encode(m_bytes);
    return *this;
}

qint64 SftpRequest::stringFrom(QIODevice &device, qint64 maxLength)
{
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + 4 + qsizetype(maxLength));
    const qint64 length = device.read(m_bytes.data() + start + 4, maxLength);
    m_bytes.resize(start + (length > 0 ? 4 + qsizetype(length) : 0));
    if (length > 0)
        qToBigEndian(quint32(length), m_bytes.data() + start);
    return length;
}

QByteArray SftpRequest::take()
{
    qToBigEndian(quint32(m_bytes.size() - 4), m_bytes.data());
    return std::move(m_bytes);
}
