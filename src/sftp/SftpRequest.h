#pragma once

#include "sftp/SftpEncoding.h"

#include <QByteArray>
#include <QByteArrayView>

struct SftpAttributes;

// One request packet, built field by field: its length is filled in by
// take(). Names go in as the bytes the server gave, never re-encoded.
class SftpRequest
{
public:
    SftpRequest(quint8 type, quint32 id, qsizetype reserve = 64);
    // SSH_FXP_INIT has no request id, only the version.
    static QByteArray init(quint32 version);

    SftpRequest &u32(quint32 value)
    {
        SftpEncoding::appendU32(m_bytes, value);
        return *this;
    }
    SftpRequest &u64(quint64 value)
    {
        SftpEncoding::appendU64(m_bytes, value);
        return *this;
    }
    SftpRequest &string(QByteArrayView value)
    {
        SftpEncoding::appendString(m_bytes, value);
        return *this;
    }
    SftpRequest &attributes(const SftpAttributes &attributes);
    QByteArray take();

private:
    QByteArray m_bytes;
};
