#pragma once

#include "sftp/SftpEncoding.h"

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;
struct SftpAttributes;

// One request packet, built field by field: its length is filled in by
// take(). Names go in as the bytes the server gave, never re-encoded.
class SftpRequest
{
public:
    SftpRequest(quint8 type, quint32 id, qsizetype reserve = 64);
    // Built in the memory of `buffer` (a request sent before), where no one
    // else holds it.
    SftpRequest(quint8 type, quint32 id, qsizetype reserve, QByteArray buffer);
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
    // A string of at most `maxLength` bytes read from `device` straight into
    // the request; returns how many were read. Nothing is added when none
    // could be (the result is then 0 or -1, as QIODevice::read() says).
    qint64 stringFrom(QIODevice &device, qint64 maxLength);
    QByteArray take();

private:
    QByteArray m_bytes;
};
