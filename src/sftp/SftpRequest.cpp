#include "sftp/SftpRequest.h"

#include "sftp/SftpAttributes.h"
#include "sftp/SftpProtocol.h"

#include <QtEndian>

SftpRequest::SftpRequest(quint8 type, quint32 id, qsizetype reserve)
{
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

QByteArray SftpRequest::take()
{
    qToBigEndian(quint32(m_bytes.size() - 4), m_bytes.data());
    return std::move(m_bytes);
}
