#pragma once

#include <QByteArray>
#include <QtGlobal>

class SftpDecoder;

// The ATTRS of SFTP version 3: each field is there only when its flag is.
struct SftpAttributes
{
    quint32 flags = 0;
    quint64 size = 0;
    quint32 uid = 0;
    quint32 gid = 0;
    // The POSIX mode: file type bits (SftpFileType) and permission bits.
    quint32 permissions = 0;
    quint32 accessTime = 0;
    quint32 modifyTime = 0; // seconds since 1970, UTC

    bool has(quint32 flag) const { return (flags & flag) != 0; }
    // Reads the fields; extended pairs are skipped. False when the data ends
    // early (the decoder has failed then).
    bool decode(SftpDecoder &decoder);
    void encode(QByteArray &out) const;
};
